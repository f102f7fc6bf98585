#include "ui/panetext.h"

#include "ui/decimaltext.h"

#include <QtAlgorithms>

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

PaneText::PaneText(qsizetype capacity) : m_capacity(capacity)
{
}

namespace {
// The first CR or LF in [from, end), or end.
const char *nextBreak(const char *from, const char *end)
{
    const void *cr = std::memchr(from, '\r', size_t(end - from));
    const char *stop = cr ? static_cast<const char *>(cr) : end;
    const void *lf = std::memchr(from, '\n', size_t(stop - from));
    return lf ? static_cast<const char *>(lf) : stop;
}
} // namespace

QByteArray PaneText::normalised(const QByteArray &bytes)
{
    qsizetype n = bytes.size();
    if (const void *zero = std::memchr(bytes.constData(), 0, size_t(n)))
        n = static_cast<const char *>(zero) - bytes.constData();
    const char *s = bytes.constData();
    const char *end = s + n;

    // Most texts need no change: every CR is followed by LF and there is no lone LF.
    const char *p = s;
    for (;;) {
        p = nextBreak(p, end);
        if (p == end)
            return n == bytes.size() ? bytes : bytes.left(n);
        if (*p == '\r' && p + 1 < end && p[1] == '\n') {
            p += 2;
            continue;
        }
        break; // a lone CR or LF at p
    }

    QByteArray out;
    out.reserve(n + n / 8 + 2);
    out.append(s, p - s);
    while (p < end) {
        // p is at a CR or LF
        if (*p == '\r' && p + 1 < end && p[1] == '\n')
            p += 2;
        else
            p += 1;
        out.append("\r\n", 2);
        const char *q = nextBreak(p, end);
        out.append(p, q - p);
        p = q;
    }
    return out;
}

char *PaneText::growBy(qsizetype adding)
{
    const qsizetype base = m_text.size();
    // A pane that outgrows a few megabytes takes its whole capacity at once: the untouched
    // pages cost nothing, and growing by doubling would copy and fault in tens of megabytes
    // in one go, holding up the event loop.
    const qsizetype needed = base + adding;
    if (needed > m_text.capacity() && needed > kReserveAllAbove)
        m_text.reserve(m_capacity);
    m_text.resize(needed);
    return m_text.data() + base;
}

void PaneText::appendNormalised(const QByteArray &normal)
{
    const qsizetype base = m_text.size();
    std::memcpy(growBy(normal.size()), normal.constData(), size_t(normal.size()));
    const char *s = m_text.constData();
    const qsizetype end = m_text.size();
    // A CR LF can straddle the old end only if the old text ended in CR, which it never does.
    for (qsizetype i = base; i + 1 < end; ++i) {
        const void *cr = std::memchr(s + i, '\r', size_t(end - i));
        if (!cr)
            break;
        i = static_cast<const char *>(cr) - s;
        if (i + 1 < end && s[i + 1] == '\n') {
            m_lineStarts.push_back(std::uint32_t(i + 2));
            ++i;
        }
    }
}

void PaneText::setText(const QByteArray &text)
{
    QByteArray normal = normalised(text);
    if (normal.size() > m_capacity)
        throw EOutOfCapacity();
    toPlain();
    if (normal == m_text)
        return;
    m_text.truncate(0);
    m_lineStarts.assign(1, 0);
    m_changedFrom = 0;
    appendNormalised(normal);
}

// Whether `adding` more bytes fit: a single text larger than the capacity is refused, and one
// that would make the pane hold more clears it, the new text included, as the line cap does.
bool PaneText::makeRoom(qsizetype adding)
{
    if (adding > m_capacity)
        throw EOutOfCapacity();
    if (size() + adding > m_capacity) {
        clear();
        return false;
    }
    m_changedFrom = size();
    return true;
}

namespace {

// One pass over bytes that are already in normal form (every CR followed by LF, no lone LF),
// as most arrivals are: where each line after a CR LF starts, and where a byte 0 cuts the text.
// False, with nothing decided, when some break needs normalising.
bool scanNormal(const char *s, qsizetype n, qsizetype *kept, std::vector<std::uint32_t> &starts)
{
    starts.clear();
    const auto visit = [&](qsizetype i) -> int { // 1: go on, 0: cut here, -1: not normal
        const char c = s[i];
        if (c == 0) {
            *kept = i;
            return 0;
        }
        if (c == '\r') {
            if (i + 1 < n && s[i + 1] == '\n') {
                starts.push_back(std::uint32_t(i + 2));
                return 1;
            }
            return -1; // a lone CR, also one just before a byte 0 or at the very end
        }
        // LF: fine only as the second half of a CR LF
        return i > 0 && s[i - 1] == '\r' ? 1 : -1;
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, zero))));
        while (mask) {
            const int r = visit(i + qCountTrailingZeroBits(mask));
            if (r <= 0)
                return r == 0;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < n; ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n' || c == 0) {
            const int r = visit(i);
            if (r <= 0)
                return r == 0;
        }
    }
    *kept = n;
    return true;
}

} // namespace

void PaneText::append(const QByteArray &bytes)
{
    toPlain();
    static thread_local std::vector<std::uint32_t> starts;
    qsizetype kept = 0;
    if (scanNormal(bytes.constData(), bytes.size(), &kept, starts)) {
        // Already normal: copied as it is, its line starts known from the one pass.
        if (!makeRoom(kept))
            return;
        const qsizetype base = m_text.size();
        std::memcpy(growBy(kept), bytes.constData(), size_t(kept));
        for (const std::uint32_t start : starts) {
            if (start > kept)
                break;
            m_lineStarts.push_back(std::uint32_t(base + start));
        }
        return;
    }
    const QByteArray normal = normalised(bytes);
    if (makeRoom(normal.size()))
        appendNormalised(normal);
}

void PaneText::addLine(const QByteArray &text)
{
    toPlain();
    static const QByteArray crlf("\r\n");
    const bool atLineStart = m_text.isEmpty() || m_text.endsWith("\r\n");
    // The same as appending the joined text, without building it.
    const QByteArray normal = normalised(text);
    if (!makeRoom(normal.size() + 2))
        return;
    if (atLineStart) {
        appendNormalised(normal);
        appendNormalised(crlf);
    } else {
        appendNormalised(crlf);
        appendNormalised(normal);
    }
}

void PaneText::clear()
{
    // The buffers keep their size: a pane that filled once will fill again, and giving the
    // memory back only to fault it in anew costs more than holding it.
    m_text.truncate(0);
    m_lineStarts.assign(1, 0);
    m_changedFrom = 0;
    m_decimal = false;
    m_size = 0;
    m_raw.truncate(0);
    m_rawLineStarts.assign(1, 0);
    m_anchors.clear();
}

qsizetype PaneText::lineCount() const
{
    const qsizetype breaks = qsizetype(m_lineStarts.size()) - 1;
    return breaks + (size() > qsizetype(m_lineStarts.back()) ? 1 : 0);
}

qsizetype PaneText::lineLength(qsizetype line) const
{
    const qsizetype start = m_lineStarts[size_t(line)];
    const qsizetype end = size_t(line) + 1 < m_lineStarts.size() ? qsizetype(m_lineStarts[size_t(line) + 1]) - 2 : size();
    return end - start;
}

qsizetype PaneText::lineOf(qsizetype offset) const
{
    auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), std::uint32_t(offset));
    return qsizetype(it - m_lineStarts.begin()) - 1;
}

// Decimal lines kept as their bytes.

void PaneText::setKeepDecimalBytes(bool on)
{
    m_keepDecimal = on;
    if (!on)
        toPlain();
}

void PaneText::addDecimalLine(const QByteArray &raw)
{
    if (!m_keepDecimal || (!m_decimal && !isEmpty())) {
        addDecimalText(raw);
        return;
    }
    const qsizetype length = decimalLength(raw);
    if (!makeRoom(length + 2))
        return;
    if (!m_decimal) { // empty: from now on, bytes
        m_decimal = true;
        m_size = 0;
        m_raw.truncate(0);
        m_rawLineStarts.assign(1, 0);
        m_anchors.clear();
    }
    // An anchor at every kDecimalAnchor-th byte: the text before it is counted a block at a time.
    qsizetype textAt = m_size;
    for (qsizetype i = 0, rawAt = m_raw.size(); i < raw.size();) {
        const qsizetype blockEnd = qMin(raw.size(), i + (kDecimalAnchor - rawAt % kDecimalAnchor));
        if (rawAt % kDecimalAnchor == 0)
            m_anchors.push_back(std::uint32_t(textAt));
        textAt += decimalLength(raw.constData() + i, blockEnd - i);
        rawAt += blockEnd - i;
        i = blockEnd;
    }
    // Like the text, the bytes take their whole room (at most half the capacity) at once.
    const qsizetype needed = m_raw.size() + raw.size();
    if (needed > m_raw.capacity() && needed > kReserveAllAbove / 2)
        m_raw.reserve(m_capacity / 2);
    m_raw.append(raw);
    m_size += length + 2;
    m_lineStarts.push_back(std::uint32_t(m_size));
    m_rawLineStarts.push_back(std::uint32_t(m_raw.size()));
}

void PaneText::addDecimalText(const QByteArray &raw)
{
    // addLine without a buffer of its own and without normalising: the text has no line break.
    // The exact length is counted only when the pane is near its capacity; otherwise up to four
    // bytes a byte are taken and the rest given back.
    const qsizetype most = raw.size() * 4;
    const bool atLineStart = m_text.isEmpty() || m_text.endsWith("\r\n");
    const bool fits = m_text.size() + most + 2 <= m_capacity;
    if (!makeRoom(fits ? qsizetype(0) : decimalLength(raw) + 2))
        return;
    const qsizetype base = m_text.size();
    char *at = growBy(most + 2) + (atLineStart ? 0 : 2);
    const qsizetype length = writeDecimalLine(raw, at);
    m_text.resize(base + length + 2);
    if (atLineStart) {
        std::memcpy(m_text.data() + base + length, "\r\n", 2);
        m_lineStarts.push_back(std::uint32_t(m_text.size()));
    } else {
        std::memcpy(m_text.data() + base, "\r\n", 2);
        m_lineStarts.push_back(std::uint32_t(base + 2));
    }
}

const char *PaneText::decimalLineBytes(qsizetype line, qsizetype *count) const
{
    const qsizetype from = m_rawLineStarts[size_t(line)];
    const qsizetype to = size_t(line) + 1 < m_rawLineStarts.size() ? qsizetype(m_rawLineStarts[size_t(line) + 1]) : m_raw.size();
    *count = to - from;
    return m_raw.constData() + from;
}

void PaneText::decimalAnchor(qsizetype line, qsizetype offset, qsizetype *textOffset, qsizetype *index) const
{
    const qsizetype lineRaw = m_rawLineStarts[size_t(line)];
    *textOffset = m_lineStarts[size_t(line)];
    *index = 0;
    // The last anchor at or before offset, if it lies within this line.
    auto it = std::upper_bound(m_anchors.begin(), m_anchors.end(), std::uint32_t(offset));
    if (it == m_anchors.begin())
        return;
    const qsizetype k = (it - m_anchors.begin()) - 1;
    const qsizetype raw = k * kDecimalAnchor;
    if (raw < lineRaw || qsizetype(m_anchors[size_t(k)]) < *textOffset)
        return;
    qsizetype count = 0;
    decimalLineBytes(line, &count);
    if (raw - lineRaw >= count)
        return;
    *textOffset = m_anchors[size_t(k)];
    *index = raw - lineRaw;
}

// Writes the text of [from, to) to out: the numbers of the bytes, a line break after each line.
void PaneText::produce(qsizetype from, qsizetype to, char *out) const
{
    char number[4];
    qsizetype line = lineOf(from);
    while (from < to) {
        qsizetype at = 0, index = 0;
        decimalAnchor(line, from, &at, &index);
        qsizetype count = 0;
        const auto *raw = reinterpret_cast<const unsigned char *>(decimalLineBytes(line, &count));
        for (; index < count && at < to; ++index) {
            const int width = decimalWidth(raw[index]);
            writeDecimalLine(reinterpret_cast<const char *>(raw + index), 1, number);
            for (int c = 0; c < width; ++c, ++at)
                if (at >= from && at < to)
                    *out++ = number[c];
        }
        for (const char c : {'\r', '\n'}) { // the line break after the line
            if (at >= from && at < to)
                *out++ = c;
            ++at;
        }
        from = at;
        ++line;
    }
}

QByteArray PaneText::text() const
{
    return m_decimal ? textRange(0, m_size) : m_text;
}

const char *PaneText::bytes(qsizetype from, qsizetype to, QByteArray &scratch) const
{
    if (!m_decimal)
        return m_text.constData() + from;
    if (scratch.size() < to - from)
        scratch.resize(to - from);
    produce(from, to, scratch.data());
    return scratch.constData();
}

void PaneText::toPlain()
{
    if (!m_decimal)
        return;
    const QByteArray plain = text();
    const std::vector<std::uint32_t> starts = m_lineStarts;
    const qsizetype changedFrom = m_changedFrom;
    m_decimal = false;
    m_raw.truncate(0);
    m_rawLineStarts.assign(1, 0);
    m_anchors.clear();
    m_text.truncate(0);
    std::memcpy(growBy(plain.size()), plain.constData(), size_t(plain.size()));
    m_lineStarts = starts;
    m_changedFrom = changedFrom;
}

QByteArray PaneText::textRange(qsizetype from, qsizetype to) const
{
    if (!m_decimal)
        return m_text.mid(from, to - from);
    QByteArray out(to - from, Qt::Uninitialized);
    produce(from, to, out.data());
    return out;
}

void PaneText::decimalAnchorBeforeX(qsizetype line, qint64 targetX, int digitAdvance, int dashAdvance,
                                    qsizetype *textOffset, qint64 *x) const
{
    const qsizetype lineText = m_lineStarts[size_t(line)];
    const qsizetype lineRaw = m_rawLineStarts[size_t(line)];
    qsizetype count = 0;
    decimalLineBytes(line, &count);
    *textOffset = lineText;
    *x = 0;
    // The anchors inside the line, searched by their x (which grows with them).
    qsizetype lo = (lineRaw + kDecimalAnchor - 1) / kDecimalAnchor;
    qsizetype hi = count > 0 ? (lineRaw + count - 1) / kDecimalAnchor : lo - 1;
    hi = qMin(hi, qsizetype(m_anchors.size()) - 1);
    const auto xOf = [&](qsizetype k) {
        const qsizetype index = k * kDecimalAnchor - lineRaw;
        const qsizetype chars = qsizetype(m_anchors[size_t(k)]) - lineText;
        return qint64(chars - index) * digitAdvance + qint64(index) * dashAdvance;
    };
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        const qint64 xm = xOf(mid);
        if (xm <= targetX) {
            *textOffset = m_anchors[size_t(mid)];
            *x = xm;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
}

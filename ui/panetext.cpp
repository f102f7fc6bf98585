#include "ui/panetext.h"

#include <QtAlgorithms>

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

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
        m_text.reserve(capacity());
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
    if (normal.size() > capacity())
        throw EOutOfCapacity();
    if (normal == m_text)
        return;
    m_text.truncate(0);
    resetLines();
    appendNormalised(normal);
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
    // The buffer keeps its size: a pane that filled once will fill again, and giving the memory
    // back only to fault it in anew costs more than holding it.
    m_text.truncate(0);
    resetLines();
}

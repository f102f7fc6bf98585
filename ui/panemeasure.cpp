#include "ui/panemeasure.h"

#include "ui/decimaltext.h"

#include <algorithm>
#include <cstring>

// Text.

void TextMeasure::setAdvances(const Advances &advance)
{
    m_advance = advance;
    m_pairAdvance.resize(65536);
    for (int lo = 0; lo < 256; ++lo)
        for (int hi = 0; hi < 256; ++hi)
            m_pairAdvance[size_t(lo | hi << 8)] = std::int16_t(advance[size_t(lo)] + advance[size_t(hi)]);
    m_seenResets = ~quint64(0);
    follow();
}

// Measures from where it stopped: O(bytes added). Line breaks are found with memchr so that
// the inner loop only adds advances.
void TextMeasure::follow()
{
    if (m_seenResets != m_text.resets()) {
        m_seenResets = m_text.resets();
        m_chunkX.clear();
        m_lastLineWidth = 0;
        m_widest = 0;
        m_measuredTo = 0;
    }
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.data().constData());
    const qsizetype n = m_text.size();
    const int *adv = m_advance.data();
    const std::int16_t *adv2 = m_pairAdvance.data();
    qint64 x = m_lastLineWidth;
    qsizetype i = m_measuredTo;
    while (i < n) {
        if ((i & (kChunk - 1)) == 0)
            m_chunkX.push_back(x);
        const qsizetype chunkEnd = std::min(n, (i | (kChunk - 1)) + 1);
        const void *cr = std::memchr(s + i, '\r', size_t(chunkEnd - i));
        const qsizetype stop = cr ? static_cast<const unsigned char *>(cr) - s : chunkEnd;
        qint64 a = 0, b = 0;
        qsizetype k = i;
        for (; k + 3 < stop; k += 4) {
            a += adv2[s[k] | s[k + 1] << 8];
            b += adv2[s[k + 2] | s[k + 3] << 8];
        }
        for (; k < stop; ++k)
            a += adv[s[k]];
        x += a + b;
        i = stop;
        if (i < chunkEnd) { // at a CR
            if (i + 1 < n && s[i + 1] == '\n') {
                m_widest = std::max(m_widest, x);
                x = 0;
                if (((i + 1) & (kChunk - 1)) == 0)
                    m_chunkX.push_back(0); // the LF opens a chunk
                i += 2;
            } else {
                x += adv['\r'];
                ++i;
            }
        }
    }
    m_measuredTo = n;
    m_lastLineWidth = x;
    m_widest = std::max(m_widest, x);
}

void TextMeasure::startFor(qsizetype line, qsizetype offset, qsizetype *from, qint64 *x) const
{
    const qsizetype start = m_text.lineStart(line);
    const qsizetype chunk = offset / kChunk;
    *from = start;
    *x = 0;
    if (chunk * kChunk > start && size_t(chunk) < m_chunkX.size()) {
        *from = chunk * kChunk;
        *x = m_chunkX[size_t(chunk)];
    }
}

void TextMeasure::startBeforeX(qsizetype line, qint64 targetX, qsizetype *from, qint64 *x) const
{
    const qsizetype start = m_text.lineStart(line);
    const qsizetype end = start + m_text.lineLength(line);
    *from = start;
    *x = 0;
    // The chunks that start within the line, searched by their x (which grows with them).
    qsizetype lo = (start + kChunk - 1) / kChunk;
    qsizetype hi = std::min<qsizetype>(end / kChunk, qsizetype(m_chunkX.size()) - 1);
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (m_chunkX[size_t(mid)] <= targetX) {
            *from = mid * kChunk;
            *x = m_chunkX[size_t(mid)];
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
}

// Decimal lines.

void DecimalMeasure::setAdvances(const Advances &advance)
{
    char number[4];
    for (int v = 0; v < 256; ++v) {
        const char byte = char(v);
        const qsizetype n = writeDecimalLine(QByteArrayView(&byte, 1), number);
        qint64 w = 0;
        for (qsizetype c = 0; c < n; ++c)
            w += advance[static_cast<unsigned char>(number[c])];
        m_numberWidth[size_t(v)] = w;
    }
    m_digitAdvance = advance['0'];
    for (int d = '1'; d <= '9'; ++d)
        if (advance[size_t(d)] != m_digitAdvance)
            m_digitAdvance = -1;
    m_dashAdvance = advance['-'];
    m_seenResets = ~quint64(0);
    follow();
}

void DecimalMeasure::follow()
{
    if (m_seenResets != m_lines.resets()) {
        m_seenResets = m_lines.resets();
        m_widest = 0;
        m_anchorX.clear();
        m_measuredLines = 0;
    }
    // Every line but the last, which is always empty, is whole.
    for (; m_measuredLines + 1 < m_lines.displayLines(); ++m_measuredLines) {
        const qsizetype line = m_measuredLines;
        const QByteArrayView raw = m_lines.lineBytes(line);
        qint64 width = 0;
        if (m_digitAdvance >= 0) {
            const qsizetype chars = m_lines.lineLength(line);
            width = qint64(chars - raw.size()) * m_digitAdvance + qint64(raw.size()) * m_dashAdvance;
        } else {
            const qsizetype base = m_lines.lineBytesStart(line);
            for (qsizetype i = 0; i < raw.size(); ++i) {
                if ((base + i) % DecimalLines::kAnchor == 0)
                    m_anchorX.push_back(width);
                width += m_numberWidth[static_cast<unsigned char>(raw[i])];
            }
        }
        m_widest = std::max(m_widest, width);
    }
}

qint64 DecimalMeasure::anchorX(qsizetype line, qsizetype k) const
{
    if (m_digitAdvance < 0)
        return m_anchorX[size_t(k)];
    const qsizetype index = k * DecimalLines::kAnchor - m_lines.lineBytesStart(line);
    const qsizetype chars = m_lines.anchorOffset(k) - m_lines.lineStart(line);
    return qint64(chars - index) * m_digitAdvance + qint64(index) * m_dashAdvance;
}

void DecimalMeasure::startFor(qsizetype line, qsizetype offset, qsizetype *from, qint64 *x) const
{
    const qsizetype k = m_lines.anchorBefore(line, offset);
    *from = k < 0 ? m_lines.lineStart(line) : m_lines.anchorOffset(k);
    *x = k < 0 ? 0 : anchorX(line, k);
}

void DecimalMeasure::startBeforeX(qsizetype line, qint64 targetX, qsizetype *from, qint64 *x) const
{
    *from = m_lines.lineStart(line);
    *x = 0;
    qsizetype lo = 0, hi = 0;
    m_lines.anchorsOf(line, &lo, &hi);
    --hi;
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        const qint64 xm = anchorX(line, mid);
        if (xm <= targetX) {
            *from = m_lines.anchorOffset(mid);
            *x = xm;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
}

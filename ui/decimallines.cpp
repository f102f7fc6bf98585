#include "ui/decimallines.h"

#include "ui/decimaltext.h"

#include <algorithm>

void DecimalLines::addLine(QByteArrayView raw)
{
    const qsizetype length = decimalLength(raw);
    if (!makeRoom(length + 2))
        return;
    // An anchor at every kAnchor-th byte: the text before it is counted a block at a time.
    qsizetype textAt = m_size;
    for (qsizetype i = 0, rawAt = m_raw.size(); i < raw.size();) {
        const qsizetype blockEnd = qMin(raw.size(), i + (kAnchor - rawAt % kAnchor));
        if (rawAt % kAnchor == 0)
            m_anchors.push_back(std::uint32_t(textAt));
        textAt += decimalLength(raw.sliced(i, blockEnd - i));
        rawAt += blockEnd - i;
        i = blockEnd;
    }
    // Like a text pane's text, the bytes take their whole room (at most half the capacity) at once.
    const qsizetype needed = m_raw.size() + raw.size();
    if (needed > m_raw.capacity() && needed > kReserveAllAbove / 2)
        m_raw.reserve(capacity() / 2);
    m_raw.append(raw);
    m_size += length + 2;
    m_lineStarts.push_back(std::uint32_t(m_size));
    m_rawLineStarts.push_back(std::uint32_t(m_raw.size()));
}

void DecimalLines::clear()
{
    // The buffers keep their size, as a text pane's do.
    m_size = 0;
    m_raw.truncate(0);
    m_rawLineStarts.assign(1, 0);
    m_anchors.clear();
    resetLines();
}

QByteArrayView DecimalLines::lineBytes(qsizetype line) const
{
    const qsizetype from = m_rawLineStarts[size_t(line)];
    const qsizetype to = size_t(line) + 1 < m_rawLineStarts.size() ? qsizetype(m_rawLineStarts[size_t(line) + 1]) : m_raw.size();
    return QByteArrayView(m_raw).sliced(from, to - from);
}

void DecimalLines::anchorsOf(qsizetype line, qsizetype *first, qsizetype *end) const
{
    const qsizetype from = lineBytesStart(line), count = lineBytes(line).size();
    *first = (from + kAnchor - 1) / kAnchor;
    *end = qMax(*first, qMin<qsizetype>((from + count + kAnchor - 1) / kAnchor, qsizetype(m_anchors.size())));
}

qsizetype DecimalLines::anchorBefore(qsizetype line, qsizetype offset) const
{
    qsizetype first = 0, end = 0;
    anchorsOf(line, &first, &end);
    // The anchors' offsets grow with k.
    const auto begin = m_anchors.begin() + first, stop = m_anchors.begin() + end;
    const auto it = std::upper_bound(begin, stop, std::uint32_t(offset));
    return it == begin ? -1 : qsizetype(it - m_anchors.begin()) - 1;
}

void DecimalLines::produce(qsizetype from, qsizetype to, char *out) const
{
    char number[4];
    qsizetype line = lineOf(from);
    while (from < to) {
        const qsizetype k = anchorBefore(line, from);
        qsizetype at = k < 0 ? lineStart(line) : anchorOffset(k);
        qsizetype index = k < 0 ? 0 : k * kAnchor - lineBytesStart(line);
        const QByteArrayView raw = lineBytes(line);
        for (; index < raw.size() && at < to; ++index) {
            const int width = decimalWidth(static_cast<unsigned char>(raw[index]));
            writeDecimalLine(raw.sliced(index, 1), number);
            for (int c = 0; c < width; ++c, ++at)
                if (at >= from && at < to)
                    *out++ = number[c];
        }
        if (index == raw.size()) {
            for (const char c : {'\r', '\n'}) { // the line break after the line
                if (at >= from && at < to)
                    *out++ = c;
                ++at;
            }
        }
        from = at;
        ++line;
    }
}

const char *DecimalLines::bytes(qsizetype from, qsizetype to, QByteArray &scratch) const
{
    if (scratch.size() < to - from)
        scratch.resize(to - from);
    produce(from, to, scratch.data());
    return scratch.constData();
}

QByteArray DecimalLines::textRange(qsizetype from, qsizetype to) const
{
    QByteArray out(to - from, Qt::Uninitialized);
    produce(from, to, out.data());
    return out;
}

#include "ui/panetext.h"

#include <algorithm>
#include <cstring>

PaneText::PaneText(qsizetype capacity) : m_capacity(capacity)
{
}

QByteArray PaneText::normalised(const QByteArray &bytes)
{
    qsizetype n = bytes.size();
    if (const void *zero = std::memchr(bytes.constData(), 0, size_t(n)))
        n = static_cast<const char *>(zero) - bytes.constData();

    const char *s = bytes.constData();
    // Fast path: nothing to change.
    bool plain = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = s[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= n || s[i + 1] != '\n'))) {
            plain = false;
            break;
        }
        if (c == '\r')
            ++i; // CR LF
    }
    if (plain)
        return n == bytes.size() ? bytes : bytes.left(n);

    QByteArray out;
    out.reserve(n + n / 8 + 2);
    qsizetype run = 0; // start of bytes copied unchanged
    for (qsizetype i = 0; i < n; ++i) {
        const char c = s[i];
        if (c == '\r') {
            if (i + 1 < n && s[i + 1] == '\n') {
                ++i;
                continue;
            }
            out.append(s + run, i - run);
            out.append("\r\n", 2);
            run = i + 1;
        } else if (c == '\n') {
            out.append(s + run, i - run);
            out.append("\r\n", 2);
            run = i + 1;
        }
    }
    out.append(s + run, n - run);
    return out;
}

void PaneText::appendNormalised(const QByteArray &normal)
{
    const qsizetype base = m_text.size();
    m_text.append(normal);
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
    if (normal == m_text)
        return;
    m_text.clear();
    m_lineStarts.assign(1, 0);
    m_changedFrom = 0;
    appendNormalised(normal);
}

void PaneText::append(const QByteArray &bytes)
{
    const QByteArray normal = normalised(bytes);
    if (normal.size() > m_capacity)
        throw EOutOfCapacity();
    if (m_text.size() + normal.size() > m_capacity) {
        clear();
        return;
    }
    m_changedFrom = m_text.size();
    appendNormalised(normal);
}

void PaneText::addLine(const QByteArray &text)
{
    const bool atLineStart = m_text.isEmpty() || m_text.endsWith("\r\n");
    append(atLineStart ? text + "\r\n" : "\r\n" + text);
}

void PaneText::clear()
{
    m_text.clear();
    m_text.squeeze();
    m_lineStarts.assign(1, 0);
    m_lineStarts.shrink_to_fit();
    m_changedFrom = 0;
}

qsizetype PaneText::lineCount() const
{
    const qsizetype breaks = qsizetype(m_lineStarts.size()) - 1;
    return breaks + (m_text.size() > qsizetype(m_lineStarts.back()) ? 1 : 0);
}

qsizetype PaneText::lineLength(qsizetype line) const
{
    const qsizetype start = m_lineStarts[size_t(line)];
    const qsizetype end = size_t(line) + 1 < m_lineStarts.size() ? qsizetype(m_lineStarts[size_t(line) + 1]) - 2 : m_text.size();
    return end - start;
}

qsizetype PaneText::lineOf(qsizetype offset) const
{
    auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), std::uint32_t(offset));
    return qsizetype(it - m_lineStarts.begin()) - 1;
}

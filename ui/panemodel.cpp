#include "ui/panemodel.h"

#include <algorithm>

bool PaneModel::makeRoom(qsizetype adding)
{
    if (adding > m_capacity)
        throw EOutOfCapacity();
    if (size() + adding > m_capacity) {
        clear();
        return false;
    }
    return true;
}

qsizetype PaneModel::lineCount() const
{
    const qsizetype breaks = qsizetype(m_lineStarts.size()) - 1;
    return breaks + (size() > qsizetype(m_lineStarts.back()) ? 1 : 0);
}

qsizetype PaneModel::lineLength(qsizetype line) const
{
    const qsizetype start = m_lineStarts[size_t(line)];
    const qsizetype end = size_t(line) + 1 < m_lineStarts.size() ? qsizetype(m_lineStarts[size_t(line) + 1]) - 2 : size();
    return end - start;
}

qsizetype PaneModel::lineOf(qsizetype offset) const
{
    auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), std::uint32_t(offset));
    return qsizetype(it - m_lineStarts.begin()) - 1;
}

#include "ui/alignlayout.h"

#include <QWidget>

#include <algorithm>

TAlignLayout::TAlignLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TAlignLayout::~TAlignLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void TAlignLayout::addAligned(QWidget *w, TAlign align, const QRect &design)
{
    addChildWidget(w);
    m_entries.append({new QWidgetItem(w), align, design});
    w->setGeometry(design);
    invalidate();
}

void TAlignLayout::addItem(QLayoutItem *item)
{
    m_entries.append({item, TAlign::None, item->geometry()});
}

QLayoutItem *TAlignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem *TAlignLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

int TAlignLayout::count() const
{
    return int(m_entries.size());
}

QSize TAlignLayout::sizeHint() const
{
    return minimumSize();
}

QSize TAlignLayout::minimumSize() const
{
    return QSize(0, 0); // no minimum: controls are cut off instead
}

void TAlignLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    QRect left = contentsRect();
    const TAlign order[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client};
    for (TAlign align : order) {
        QList<const Entry *> group;
        for (const Entry &e : m_entries)
            if (e.align == align)
                group.append(&e);
        std::stable_sort(group.begin(), group.end(), [align](const Entry *a, const Entry *b) {
            switch (align) {
            case TAlign::Top: return a->design.top() < b->design.top();
            case TAlign::Bottom: return a->design.bottom() > b->design.bottom();
            case TAlign::Left: return a->design.left() < b->design.left();
            case TAlign::Right: return a->design.right() > b->design.right();
            default: return false;
            }
        });
        for (const Entry *e : group) {
            QRect r;
            switch (align) {
            case TAlign::Top:
                r = QRect(left.left(), left.top(), left.width(), e->design.height());
                left.setTop(left.top() + e->design.height());
                break;
            case TAlign::Bottom:
                r = QRect(left.left(), left.bottom() + 1 - e->design.height(), left.width(), e->design.height());
                left.setBottom(left.bottom() - e->design.height());
                break;
            case TAlign::Left:
                r = QRect(left.left(), left.top(), e->design.width(), left.height());
                left.setLeft(left.left() + e->design.width());
                break;
            case TAlign::Right:
                r = QRect(left.right() + 1 - e->design.width(), left.top(), e->design.width(), left.height());
                left.setRight(left.right() - e->design.width());
                break;
            case TAlign::Client:
                r = left;
                break;
            case TAlign::None:
                break;
            }
            e->item->setGeometry(QRect(r.topLeft(), QSize(qMax(0, r.width()), qMax(0, r.height()))));
        }
    }
}

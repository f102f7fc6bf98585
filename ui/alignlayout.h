#pragma once
// Places a container's children by alignment: first those aligned to the top, then bottom,
// left and right, each taking its strip off the area that is left, and last the one aligned to
// the client area, which fills the rest. Within one alignment, controls stand in the order of
// their design positions (top to bottom, left to right, and the reverse for bottom and right).
// A control keeps its design height (top, bottom) or width (left, right).

#include <QLayout>
#include <QList>
#include <QRect>

enum class TAlign { None, Top, Bottom, Left, Right, Client };

class TAlignLayout : public QLayout {
public:
    explicit TAlignLayout(QWidget *parent = nullptr);
    ~TAlignLayout() override;

    // Adds a child with its alignment and its design rectangle in the container.
    void addAligned(QWidget *w, TAlign align, const QRect &design);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry {
        QLayoutItem *item;
        TAlign align;
        QRect design;
    };
    QList<Entry> m_entries;
};

#include "ui/containers.h"

#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
void drawGroove(QPainter &p, const QRect &r, const QPalette &pal)
{
    // An etched line: dark outside, light inside.
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(r.adjusted(0, 0, -2, -2));
    p.setPen(pal.color(QPalette::Light));
    p.drawRect(r.adjusted(1, 1, -1, -1));
}
} // namespace

TPanel::TPanel(QWidget *parent) : QWidget(parent), m_layout(new TAlignLayout(this))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawGroove(p, rect(), palette());
}

TGroupBox::TGroupBox(const QString &caption, QWidget *parent)
    : QWidget(parent), m_caption(caption), m_layout(new TAlignLayout(this))
{
    m_layout->setContentsMargins(1, 14, 1, 1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TGroupBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm(font());
    const int lineY = fm.height() / 2;
    drawGroove(p, rect().adjusted(0, lineY, 0, 0), palette());
    const int textW = fm.horizontalAdvance(m_caption);
    const QRect textRect(8, 0, textW + 4, fm.height());
    p.fillRect(textRect, palette().brush(QPalette::Button));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect, Qt::AlignCenter, m_caption);
}

TStatusBar::TStatusBar(QWidget *parent)
    : QWidget(parent), m_layout(new TAlignLayout(this)), m_grip(new QSizeGrip(this))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    m_grip->resize(m_grip->sizeHint());
}

void TStatusBar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    m_grip->move(width() - m_grip->width(), height() - m_grip->height());
    m_grip->raise();
}

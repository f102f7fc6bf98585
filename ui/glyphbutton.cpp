#include "ui/glyphbutton.h"

#include "ui/glyphs.h"
#include "ui/hint.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

TGlyphButton::TGlyphButton(const QString &caption, int imageIndex, int margin, QWidget *parent)
    : QAbstractButton(parent), m_imageIndex(imageIndex), m_margin(margin)
{
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
}

QSize TGlyphButton::sizeHint() const
{
    return QSize(75, 25);
}

bool TGlyphButton::event(QEvent *e)
{
    if (hint::handled(this, e, ShowHint, Hint))
        return true;
    return QAbstractButton::event(e);
}

void TGlyphButton::keyPressEvent(QKeyEvent *e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && mods == Qt::NoModifier && !e->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e); // Space presses on release
}

void TGlyphButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept(); // so that the release of this button comes here too
        return;
    }
    QAbstractButton::mousePressEvent(e);
}

void TGlyphButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (OnMouseUp) {
        const QPoint p = e->position().toPoint();
        OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    }
    QAbstractButton::mouseReleaseEvent(e);
}

void TGlyphButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    if (isDown())
        opt.state |= QStyle::State_Sunken;
    else
        opt.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, this);
    // The silver frame.
    p.setPen(QColor(0xA0, 0xA0, 0xA4));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const int shift = isDown() ? 1 : 0;
    const QPixmap g = glyphs::glyph(m_imageIndex);
    const int glyphW = g.isNull() ? 0 : 16;
    const QFontMetrics fm(font());
    const int textW = fm.horizontalAdvance(text());
    const int spacing = 4;
    int gx = m_margin;
    if (m_margin < 0) // centred together with the caption
        gx = (width() - glyphW - spacing - textW) / 2;
    const int gy = (height() - 16) / 2;
    if (!g.isNull()) {
        if (isEnabled())
            p.drawPixmap(gx + shift, gy + shift, g);
        else
            p.drawPixmap(gx, gy, QIcon(g).pixmap(16, 16, QIcon::Disabled));
    }
    // The caption is centred in the space right of the glyph.
    const int textLeft = gx + glyphW + spacing;
    const QRect textRect(textLeft + shift, shift, width() - textLeft - 2, height());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignHCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, &p, this);
    }
}

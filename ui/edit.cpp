#include "ui/edit.h"

#include "core/codepage.h"
#include "ui/hint.h"

#include <QKeyEvent>

TEdit::TEdit(QWidget *parent) : QLineEdit(parent)
{
}

QByteArray TEdit::Text() const
{
    return cp1254::fromUnicode(text());
}

void TEdit::SetText(const QByteArray &text)
{
    setText(cp1254::toUnicode(text));
}

int TEdit::virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default:
        if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
            return qtKey;
        return qtKey & 0xFFFF;
    }
}

bool TEdit::event(QEvent *e)
{
    if (hint::handled(this, e, ShowHint, Hint))
        return true;
    return QLineEdit::event(e);
}

void TEdit::keyPressEvent(QKeyEvent *e)
{
    if (OnKeyPress) {
        char key = 0;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            key = 13;
        else if (!e->text().isEmpty())
            key = cp1254::fromUnicode(e->text().left(1)).at(0);
        if (key != 0) {
            OnKeyPress(key);
            if (key == 0)
                return; // kept out of the box
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TEdit::keyReleaseEvent(QKeyEvent *e)
{
    QLineEdit::keyReleaseEvent(e);
    if (e->isAutoRepeat() || !OnKeyUp)
        return;
    int key = virtualKey(e->key());
    OnKeyUp(key, e->modifiers());
}

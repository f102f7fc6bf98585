#include "ui/hint.h"

#include "core/codepage.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace hint {

QByteArray shortPart(const QByteArray &hint)
{
    const qsizetype bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.left(bar);
}

void showFor(QWidget *w, QHelpEvent *e, const QByteArray &hintText)
{
    const QByteArray part = shortPart(hintText);
    if (part.isEmpty()) {
        QToolTip::hideText();
        e->ignore();
        return;
    }
    // As plain text: '&' and '<' show as themselves; long texts wrap at word breaks.
    const QString text = Qt::convertFromPlainText(cp1254::toUnicode(part), Qt::WhiteSpaceNormal);
    QToolTip::showText(e->globalPos(), text, w, w->rect(), kShowMs);
}

bool handled(QWidget *w, QEvent *e, bool showHint, const QByteArray &hintText)
{
    if (e->type() != QEvent::ToolTip)
        return false;
    if (showHint)
        showFor(w, static_cast<QHelpEvent *>(e), hintText);
    else
        e->ignore();
    return true;
}

} // namespace hint

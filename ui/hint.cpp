#include "ui/hint.h"

#include "core/codepage.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QScreen>
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
    const QScreen *screen = w->screen();
    const int screenWidth = screen ? screen->geometry().width() : INT_MAX;
    const int textWidth = QFontMetrics(QToolTip::font()).horizontalAdvance(cp1254::toUnicode(part));
    QToolTip::showText(e->globalPos(), tipText(part, textWidth, screenWidth), w, w->rect(), kShowMs);
}

QString tipText(const QByteArray &part, int textWidth, int screenWidth)
{
    const QString plain = cp1254::toUnicode(part);
    // Plain text is shown on one line and wrapped only when wider than the screen. A text that
    // looks like markup would be taken for it, so that one goes as escaped markup, kept on one
    // line in the same way.
    if (!Qt::mightBeRichText(plain))
        return plain;
    const QString escaped = plain.toHtmlEscaped();
    return textWidth > screenWidth ? QStringLiteral("<p>%1</p>").arg(escaped)
                                   : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(escaped);
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

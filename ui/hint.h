#pragma once
// Tooltips from a control's hint: the part before the first '|' (the whole hint when it has
// none), shown as plain text; no tooltip when that part is empty.

#include <QByteArray>
#include <QString>

class QWidget;
class QHelpEvent;
class QEvent;

namespace hint {
inline constexpr int kShowMs = 2500;
QByteArray shortPart(const QByteArray &hint);
// Handles a tooltip event for w; always consumes it.
void showFor(QWidget *w, QHelpEvent *e, const QByteArray &hint);
// The text handed to the tooltip for a hint's short part: shown as it is ('&' and '<' too), on
// one line unless it is wider than the screen of width screenWidth, then wrapped at word breaks.
QString tipText(const QByteArray &part, int textWidth, int screenWidth);
// For a control's event(): true when e was a tooltip event, now handled (shown when showHint is
// on and the hint has text before any '|', otherwise left to nobody).
bool handled(QWidget *w, QEvent *e, bool showHint, const QByteArray &hint);
} // namespace hint

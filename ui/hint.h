#pragma once
// Tooltips from a control's hint: the part before the first '|' (the whole hint when it has
// none), shown as plain text; no tooltip when that part is empty.

#include <QByteArray>

class QWidget;
class QHelpEvent;

namespace hint {
inline constexpr int kShowMs = 2500;
QByteArray shortPart(const QByteArray &hint);
// Handles a tooltip event for w; always consumes it.
void showFor(QWidget *w, QHelpEvent *e, const QByteArray &hint);
} // namespace hint

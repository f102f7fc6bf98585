#pragma once
// The window font: Tahoma at a character height of 11 pixels (8 points at 96 dpi).
//
// A line of that font is 13 pixels high with an ascent of 11: the marks over capitals (Ğ, İ, Ö,
// Ü, Ş, À, ...) reach that high. Every control measures and draws lines with the metrics the font
// reports, so the font itself must report these. Where the system has no Tahoma, the compatible
// font of Debian's fonts-wine is loaded; that font reports much less (its "typographic" ascent,
// which it asks to be used, and bitmap strikes whose line metrics are just as short: 9 + 2 at
// 11 px), so a copy is loaded whose vertical metrics are its Windows metrics and whose bitmap
// strikes are left out (their glyphs fill exactly that short box). Every control, Qt's included,
// then gets the right line height from one place.

#include <QByteArray>
#include <QFont>

namespace fonts {
// Loads the fallback Tahoma once; call after the application object exists.
void install();
QFont tahoma(int pixelSize);
QFont windowFont();

// A TrueType/OpenType file whose vertical metrics are made its Windows metrics (usWinAscent,
// usWinDescent, no line gap) in the hhea and OS/2 tables, and whose embedded bitmap tables are
// hidden. Empty when the data is not such a font.
QByteArray withWindowsMetrics(const QByteArray &font);
} // namespace fonts

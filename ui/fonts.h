#pragma once
// The window font: Tahoma at a character height of 11 pixels (8 points at 96 dpi).
//
// A line of that font is 13 pixels high with an ascent of 11: the marks over capitals (Ğ, İ, Ö,
// Ü, Ş, À, ...) reach that high. Every control measures and draws lines with the metrics the font
// reports, so the font itself must report these. The choice is made once, by what the candidates
// measure, never by their names:
//   1. "Tahoma" as the system gives it (Windows' own Tahoma measures so);
//   2. otherwise the compatible font of Debian's fonts-wine, loaded from its file as a copy whose
//      vertical metrics are its Windows metrics, whose bitmap strikes are left out (their glyphs
//      fill the short box the font asks for: 9 + 2 at 11 px) and whose family has a name of its
//      own, so that a copy of the unchanged font known to fontconfig (in ~/.fonts, say) can never
//      be taken for it;
//   3. otherwise the default sans font, after one line on standard error telling why.
// Every control, Qt's included, then gets the right line height from one place.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QStringList>

namespace fonts {
// The files tried for the second choice, in order.
QStringList defaultFontFiles();

// Chooses the window font once; call after the application object exists. Later calls do
// nothing. Returns the reason when neither Tahoma nor a loaded file measures as it should (also
// written to standard error), else an empty text.
QString install(const QStringList &files = defaultFontFiles());

// The family chosen by install() ("Tahoma" until then).
QString family();
QFont tahoma(int pixelSize);
QFont windowFont();

// Whether a font measures as Tahoma does on Windows at 11 px: ascent 11, height 13.
bool hasWindowsLineMetrics(const QFont &font);

// A TrueType/OpenType file whose vertical metrics are made its Windows metrics (usWinAscent,
// usWinDescent, no line gap) in the hhea and OS/2 tables, whose embedded bitmap tables are hidden
// and, when newFamily is given, whose family names are newFamily. Empty when the data is not
// such a font.
QByteArray withWindowsMetrics(const QByteArray &font, const QString &newFamily = {});
} // namespace fonts

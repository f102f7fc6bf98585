#pragma once
// The window font: Tahoma at a character height of 11 pixels (8 points at 96 dpi). Where the
// system has no Tahoma, the compatible font that Debian's fonts-wine installs is loaded.

#include <QFont>

namespace fonts {
// Loads the fallback Tahoma once; call after the application object exists.
void install();
QFont tahoma(int pixelSize);
QFont windowFont();
} // namespace fonts

#pragma once
// The glyphs of the image list (16 x 16) and the window icon, drawn from our own SVG pictures.
// Only the five glyphs the window shows exist: 5 bolt, 6 plug, 7 grey plug, 13 help, 15 send.

#include <QIcon>
#include <QPixmap>

namespace glyphs {
QPixmap glyph(int imageIndex);   // a null pixmap for an index the window never shows
QIcon windowIcon();              // 16 and 32 pixel images
} // namespace glyphs

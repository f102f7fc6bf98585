#pragma once
// Code page 1254 (Turkish). Every text the program handles is a byte string in this code page;
// conversion to and from Unicode happens only where text meets the screen or the clipboard.

#include <QByteArray>
#include <QString>

namespace cp1254 {

// The Unicode character a byte stands for. Bytes the code page leaves undefined map to the
// C1 control character of the same value, so every byte survives a round trip.
char16_t toUnicode(unsigned char byte);

QString toUnicode(const QByteArray &bytes);

// A character outside the code page becomes '?'.
QByteArray fromUnicode(const QString &text);

} // namespace cp1254

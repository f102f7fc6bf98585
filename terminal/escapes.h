#pragma once
// Byte escapes in outgoing text: '#' and the next three characters (or all that remain) stand
// for one byte when the integer conversion accepts those characters (the value modulo 256);
// otherwise the '#' alone is dropped and the characters after it are read as text again.

#include <QByteArray>

// True when the integer conversion accepts t.
bool sayiMi(const QByteArray &t);

QByteArray decodeEscapes(const QByteArray &text);

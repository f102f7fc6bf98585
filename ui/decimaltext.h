#pragma once
// The decimal line of received bytes: each byte's unsigned value followed by '-' (72-105-).

#include <QByteArray>
#include <QByteArrayView>

QByteArray decimalLine(QByteArrayView bytes);

// The length of the decimal line of bytes.
qsizetype decimalLength(QByteArrayView bytes);
// The same line written into place: writes at most 4 bytes per byte at out (using them all as
// scratch) and returns the length of the line, decimalLength() bytes.
qsizetype writeDecimalLine(QByteArrayView bytes, char *out);

// The length of one byte's number and its '-'.
inline int decimalWidth(unsigned char v)
{
    return 2 + (v >= 10) + (v >= 100);
}

#pragma once
// The decimal line of received bytes: each byte's unsigned value followed by '-' (72-105-).

#include <QByteArray>

QByteArray decimalLine(const QByteArray &bytes);

// The same written into place: writes at most 4 bytes per byte at out (using them all as
// scratch) and returns the length of the line, decimalLength() bytes.
qsizetype decimalLength(const QByteArray &bytes);
qsizetype writeDecimalLine(const QByteArray &bytes, char *out);
qsizetype decimalLength(const char *bytes, qsizetype n);
qsizetype writeDecimalLine(const char *bytes, qsizetype n, char *out);

// The length of one byte's number and its '-'.
inline int decimalWidth(unsigned char v)
{
    return 2 + (v >= 10) + (v >= 100);
}

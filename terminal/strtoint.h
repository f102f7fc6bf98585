#pragma once
// Text to 32-bit signed integer, as the port box and the byte escapes read numbers:
// leading blanks, at most one sign, then decimal digits or a hexadecimal prefix ('$', 'x',
// 'X', "0x", "0X") and hexadecimal digits, and nothing after the digits.

#include <QByteArray>
#include <cstdint>
#include <optional>

// Throws EConvertError "'<text>' is not a valid integer value" when the text has another form
// or its value does not fit.
std::int32_t StrToInt(const QByteArray &text);

// The same without the exception.
std::optional<std::int32_t> tryStrToInt(const QByteArray &text);

#include "terminal/strtoint.h"

#include "core/codepage.h"
#include "core/errors.h"

std::optional<std::int32_t> tryStrToInt(const QByteArray &text)
{
    const char *p = text.constData();
    const char *end = p + text.size();

    while (p < end && *p == ' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }

    bool hex = false;
    if (p < end && (*p == '$' || *p == 'x' || *p == 'X')) {
        hex = true;
        ++p;
    } else if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        hex = true;
        p += 2;
    }
    if (p == end)
        return std::nullopt; // no digits

    std::uint64_t value = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; p < end; ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + std::uint64_t(digit);
        if (value > limit)
            return std::nullopt;
    }

    // Hexadecimal values are 32-bit two's complement; '-' then negates, wrapping like the
    // machine does ($80000000 negated stays -2147483648).
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::int32_t StrToInt(const QByteArray &text)
{
    if (auto v = tryStrToInt(text))
        return *v;
    const QString shown = cp1254::toUnicode(text);
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(shown).toStdString());
}

#include "terminal/escapes.h"

#include "terminal/strtoint.h"

bool sayiMi(const QByteArray &t)
{
    return tryStrToInt(t).has_value();
}

QByteArray decodeEscapes(const QByteArray &s)
{
    QByteArray out;
    out.reserve(s.size());
    qsizetype i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c != '#') {
            out.append(c);
            ++i;
            continue;
        }
        const QByteArray t = s.mid(i + 1, 3);
        if (const auto v = tryStrToInt(t)) {
            out.append(static_cast<char>(static_cast<unsigned>(*v) & 0xFFu));
            i += 4;
        } else {
            ++i; // only the '#' is dropped
        }
    }
    return out;
}

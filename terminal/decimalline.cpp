#include "terminal/decimalline.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {
struct alignas(8) Entry {
    char text[4];
    std::uint32_t length;
};
constexpr std::array<Entry, 256> makeTable()
{
    std::array<Entry, 256> t{};
    for (int v = 0; v < 256; ++v) {
        Entry e{};
        int n = 0;
        if (v >= 100)
            e.text[n++] = char('0' + v / 100);
        if (v >= 10)
            e.text[n++] = char('0' + v / 10 % 10);
        e.text[n++] = char('0' + v % 10);
        e.text[n++] = '-';
        e.length = static_cast<unsigned char>(n);
        t[size_t(v)] = e;
    }
    return t;
}
constexpr std::array<Entry, 256> kTable = makeTable();
} // namespace

qsizetype decimalLength(const QByteArray &bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    qsizetype n = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        n += kTable[s[i]].length;
    return n;
}

qsizetype writeDecimalLine(const QByteArray &bytes, char *out)
{
    // Four bytes at a time: what an entry writes past its own end the next one overwrites.
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    char *d = out;
    qsizetype i = 0;
    for (; i + 1 < n; i += 2) {
        const Entry &a = kTable[s[i]];
        const Entry &b = kTable[s[i + 1]];
        std::memcpy(d, a.text, 4);
        std::memcpy(d + a.length, b.text, 4);
        d += a.length + b.length;
    }
    if (i < n) {
        const Entry &a = kTable[s[i]];
        std::memcpy(d, a.text, 4);
        d += a.length;
    }
    return d - out;
}

QByteArray decimalLine(const QByteArray &bytes)
{
    QByteArray out(bytes.size() * 4, Qt::Uninitialized);
    out.truncate(writeDecimalLine(bytes, out.data()));
    return out;
}

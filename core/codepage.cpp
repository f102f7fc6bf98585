#include "core/codepage.h"

#include <array>
#include <memory>

namespace cp1254 {
namespace {

constexpr std::array<char16_t, 32> kHigh80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
};

constexpr std::array<char16_t, 256> makeTable()
{
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = char16_t(i);
    for (int i = 0; i < 32; ++i)
        t[0x80 + i] = kHigh80[i];
    t[0xD0] = 0x011E; // Ğ
    t[0xDD] = 0x0130; // İ
    t[0xDE] = 0x015E; // Ş
    t[0xF0] = 0x011F; // ğ
    t[0xFD] = 0x0131; // ı
    t[0xFE] = 0x015F; // ş
    return t;
}

constexpr std::array<char16_t, 256> kTable = makeTable();

// Reverse lookup over the 64K BMP; built once.
const std::array<unsigned char, 65536> &reverseTable()
{
    static const auto table = [] {
        auto r = std::make_unique<std::array<unsigned char, 65536>>();
        r->fill('?');
        for (int i = 0; i < 256; ++i)
            (*r)[kTable[i]] = static_cast<unsigned char>(i);
        return r;
    }();
    return *table;
}

} // namespace

char16_t toUnicode(unsigned char byte)
{
    return kTable[byte];
}

QString toUnicode(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(kTable[s[i]]);
    return out;
}

QByteArray fromUnicode(const QString &text)
{
    const auto &rev = reverseTable();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i; // one character outside the code page, one '?'
            out.append('?');
            continue;
        }
        out.append(static_cast<char>(rev[c.unicode()]));
    }
    return out;
}

} // namespace cp1254

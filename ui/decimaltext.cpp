#include "ui/decimaltext.h"

#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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

qsizetype decimalLength(QByteArrayView bytes)
{
    // Two characters a byte ("0-"), one more from 10 on, one more from 100 on.
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype length = 2 * n;
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i nine = _mm_set1_epi8(9), ninetyNine = _mm_set1_epi8(99), zero = _mm_setzero_si128();
    while (i + 16 <= n) {
        __m128i lanes = zero; // per byte lane, at most 2 a round and 127 rounds
        for (int round = 0; round < 127 && i + 16 <= n; ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
            // -1 in a lane where the byte is over 9, and again where it is over 99
            const __m128i ten = _mm_xor_si128(_mm_cmpeq_epi8(_mm_subs_epu8(v, nine), zero), _mm_set1_epi8(-1));
            const __m128i hundred = _mm_xor_si128(_mm_cmpeq_epi8(_mm_subs_epu8(v, ninetyNine), zero), _mm_set1_epi8(-1));
            lanes = _mm_sub_epi8(_mm_sub_epi8(lanes, ten), hundred);
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        length += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    for (; i < n; ++i)
        length += (s[i] >= 10) + (s[i] >= 100);
    return length;
}

qsizetype writeDecimalLine(QByteArrayView bytes, char *out)
{
    // Four bytes at a time: what an entry writes past its own end the next one overwrites.
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
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

QByteArray decimalLine(QByteArrayView bytes)
{
    QByteArray out(bytes.size() * 4, Qt::Uninitialized);
    out.truncate(writeDecimalLine(bytes, out.data()));
    return out;
}

#include "record/tcpheaders.h"

#include <QtEndian>

#include <cstring>

namespace tcpheaders {
namespace {

void put16(uchar *p, quint16 v)
{
    qToBigEndian(v, p);
}

void put32(uchar *p, quint32 v)
{
    qToBigEndian(v, p);
}

} // namespace

quint64 onesSum(QByteArrayView bytes, quint64 sum)
{
    // The one's-complement sum does not depend on the byte order it is taken in, as long as the
    // result is stored in the same order (RFC 1071), so the words are summed as the machine
    // loads them: two 32-bit halves of each 64-bit word into a 64-bit sum, which cannot
    // overflow for any packet. The compiler turns this into vector code.
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype n = bytes.size();
    quint64 wide = 0;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        wide += (w & 0xFFFFFFFFu) + (w >> 32);
    }
    sum += wide;
    uchar tail[8] = {};
    if (n > 0) // an empty view may have no data at all
        std::memcpy(tail, p, size_t(n)); // the last odd byte pads with zero, as the checksum does
    quint64 w;
    std::memcpy(&w, tail, 8);
    return sum + (w & 0xFFFFFFFFu) + (w >> 32);
}

quint16 fold(quint64 sum)
{
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum & 0xFFFF);
}

QByteArray headers(const Segment &s, QByteArrayView payload)
{
    const qsizetype tcpLength = 20 + s.options.size() + payload.size();
    QByteArray out(20 + 20 + s.options.size(), '\0');
    uchar *ip = reinterpret_cast<uchar *>(out.data());
    ip[0] = 0x45; // version 4, 5 words
    put16(ip + 2, quint16(20 + tcpLength));
    put16(ip + 4, s.ipId);
    put16(ip + 6, 0x4000); // don't fragment
    ip[8] = 64;            // time to live
    ip[9] = 6;             // TCP
    std::memcpy(ip + 12, &s.from.addr, 4);
    std::memcpy(ip + 16, &s.to.addr, 4);
    const quint16 ipSum = fold(onesSum(QByteArrayView(out.constData(), 20)));
    std::memcpy(ip + 10, &ipSum, 2);

    uchar *tcp = ip + 20;
    std::memcpy(tcp + 0, &s.from.port, 2);
    std::memcpy(tcp + 2, &s.to.port, 2);
    put32(tcp + 4, s.seq);
    put32(tcp + 8, s.ack);
    tcp[12] = quint8((5 + s.options.size() / 4) << 4);
    tcp[13] = s.flags;
    put16(tcp + 14, s.window);
    if (!s.options.isEmpty())
        std::memcpy(tcp + 20, s.options.data(), size_t(s.options.size()));

    // Pseudo header: addresses, zero, protocol, TCP length; then the header and the payload.
    // The header's length is a multiple of 4, so the payload starts at an even offset.
    uchar pseudo[12];
    std::memcpy(pseudo, ip + 12, 8);
    pseudo[8] = 0;
    pseudo[9] = 6;
    put16(pseudo + 10, quint16(tcpLength));
    quint64 sum = onesSum(QByteArrayView(reinterpret_cast<const char *>(pseudo), 12));
    sum = onesSum(QByteArrayView(out.constData() + 20, out.size() - 20), sum);
    sum = onesSum(payload, sum);
    const quint16 tcpSum = fold(sum);
    std::memcpy(tcp + 16, &tcpSum, 2);
    return out;
}

} // namespace tcpheaders

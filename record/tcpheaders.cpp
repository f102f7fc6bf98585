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
    // 32-bit words summed into 64 bits cannot overflow for any packet; the byte order of the
    // words does not matter as long as the sum is folded and stored in the same order.
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype n = bytes.size();
    for (; n >= 4; p += 4, n -= 4) {
        quint32 w;
        std::memcpy(&w, p, 4);
        sum += qFromBigEndian(w);
    }
    if (n >= 2) {
        sum += quint32(p[0]) << 8 | p[1];
        p += 2;
        n -= 2;
    }
    if (n == 1)
        sum += quint32(p[0]) << 8;
    return sum;
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
    put16(ip + 10, fold(onesSum(QByteArrayView(out.constData(), 20))));

    uchar *tcp = ip + 20;
    std::memcpy(tcp + 0, &s.from.port, 2);
    std::memcpy(tcp + 2, &s.to.port, 2);
    put32(tcp + 4, s.seq);
    put32(tcp + 8, s.ack);
    tcp[12] = quint8((5 + s.options.size() / 4) << 4);
    tcp[13] = s.flags;
    put16(tcp + 14, s.window);
    std::memcpy(tcp + 20, s.options.data(), size_t(s.options.size()));

    // Pseudo header: addresses, protocol, TCP length; then the header and the payload. The
    // header is 4-byte aligned, so the payload starts at an even offset.
    quint64 sum = onesSum(QByteArrayView(out.constData() + 12, 8));
    sum += 6 + quint64(tcpLength);
    sum = onesSum(QByteArrayView(out.constData() + 20, out.size() - 20), sum);
    sum = onesSum(payload, sum);
    put16(tcp + 16, fold(sum));
    return out;
}

} // namespace tcpheaders

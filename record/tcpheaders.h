#pragma once
// IPv4 and TCP headers for a segment of a connection seen from one of its ends, with correct
// checksums (the TCP one covers the payload), so that a capture made of them reads as if taken
// from the wire.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace tcpheaders {

enum Flag : quint8 { FIN = 0x01, SYN = 0x02, RST = 0x04, PSH = 0x08, ACK = 0x10 };

// One end of a connection; address and port in network byte order, as the socket calls give them.
struct Endpoint {
    quint32 addr = 0;
    quint16 port = 0;
};

struct Segment {
    Endpoint from, to;
    quint16 ipId = 0;
    quint32 seq = 0, ack = 0;
    quint8 flags = 0;
    quint16 window = 0;
    QByteArrayView options; // TCP options, a multiple of 4 bytes
};

// The most payload one segment can carry: an IPv4 packet's length is 16 bits.
inline constexpr qsizetype kMaxPayload = 65535 - 20 - 20;

// The IPv4 header followed by the TCP header of a segment carrying payload (at most kMaxPayload
// bytes and 40 bytes of options).
QByteArray headers(const Segment &s, QByteArrayView payload);

// The Internet checksum's one's-complement sum of bytes taken as 16-bit words in the machine's
// own byte order (the sum comes out in that order too), as if they started at an even offset;
// not yet folded or complemented.
quint64 onesSum(QByteArrayView bytes, quint64 sum = 0);
// The checksum of a sum, to be stored with memcpy (in the order it was summed in).
quint16 fold(quint64 sum);

} // namespace tcpheaders

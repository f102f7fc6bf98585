#pragma once
// A small reader of the capture files the program writes, for the tests on systems without
// tshark (Windows under Wine): the pcapng blocks, and in each packet the IPv4 and TCP headers,
// their checksums recomputed here independently of the writer.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

struct CapturedSegment {
    quint64 micros = 0;
    QByteArray comment;
    quint32 src = 0, dst = 0; // host byte order
    quint16 srcPort = 0, dstPort = 0;
    quint32 seq = 0, ack = 0;
    quint8 flags = 0;
    QByteArray payload;
    bool checksumsGood = false;
};

struct Capture {
    QString error; // empty when the file reads cleanly
    QByteArray application;
    quint16 linkType = 0;
    QList<CapturedSegment> segments;

    // The connections in the order their SYNs appear: the bytes each way, as a stream follower
    // gives them, with every data segment checked to start where the previous one ended.
    struct Stream {
        quint16 clientPort = 0, serverPort = 0;
        QByteArray fromClient, fromServer;
        QString flags; // "S AS A PA ... AF" from the client's (lower case from the server's) view
    };
    QList<Stream> streams() const;
};

namespace capturereader {

inline quint16 checksum(const QByteArray &bytes, quint32 sum = 0)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        sum += quint32(uchar(bytes[i])) << 8 | uchar(bytes[i + 1]);
    if (bytes.size() % 2)
        sum += quint32(uchar(bytes.back())) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

inline quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
inline quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}
inline quint32 be32(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}
inline quint16 be16(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

// The value of option code in an option list, empty when it is not there.
inline QByteArray option(const QByteArray &options, quint16 code)
{
    for (qsizetype at = 0; at + 4 <= options.size();) {
        const quint16 c = le16(options, at), n = le16(options, at + 2);
        if (c == 0)
            break;
        if (c == code)
            return options.mid(at + 4, n);
        at += 4 + (n + 3) / 4 * 4;
    }
    return {};
}

inline Capture read(const QString &path)
{
    Capture c;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        c.error = QStringLiteral("cannot open");
        return c;
    }
    const QByteArray file = f.readAll();
    qsizetype at = 0;
    bool first = true;
    while (at < file.size()) {
        if (at + 12 > file.size())
            return c.error = QStringLiteral("truncated block at %1").arg(at), c;
        const quint32 type = le32(file, at), length = le32(file, at + 4);
        if (length < 12 || length % 4 || at + length > file.size() || le32(file, at + length - 4) != length)
            return c.error = QStringLiteral("bad block length at %1").arg(at), c;
        const QByteArray body = file.mid(at + 8, length - 12);
        if (first && (type != 0x0A0D0D0A || le32(body, 0) != 0x1A2B3C4D))
            return c.error = QStringLiteral("no section header"), c;
        first = false;
        if (type == 0x0A0D0D0A) {
            c.application = option(body.mid(16), 4);
        } else if (type == 1) {
            c.linkType = le16(body, 0);
        } else if (type == 6) {
            const quint32 captured = le32(body, 12), original = le32(body, 16);
            if (captured != original || 20 + captured > quint32(body.size()))
                return c.error = QStringLiteral("bad packet at %1").arg(at), c;
            const QByteArray packet = body.mid(20, captured);
            CapturedSegment s;
            s.micros = quint64(le32(body, 4)) << 32 | le32(body, 8);
            s.comment = option(body.mid(20 + (captured + 3) / 4 * 4), 1);
            const int ipLength = (uchar(packet[0]) & 15) * 4;
            if (uchar(packet[0]) >> 4 != 4 || packet[9] != 6 || be16(packet, 2) != packet.size())
                return c.error = QStringLiteral("not an IPv4/TCP packet at %1").arg(at), c;
            s.src = be32(packet, 12);
            s.dst = be32(packet, 16);
            const QByteArray tcp = packet.mid(ipLength);
            s.srcPort = be16(tcp, 0);
            s.dstPort = be16(tcp, 2);
            s.seq = be32(tcp, 4);
            s.ack = be32(tcp, 8);
            s.flags = quint8(tcp[13]);
            s.payload = tcp.mid((uchar(tcp[12]) >> 4) * 4);
            QByteArray pseudo = packet.mid(12, 8);
            pseudo += QByteArray("\0\x06", 2);
            pseudo += char(tcp.size() >> 8);
            pseudo += char(tcp.size() & 0xFF);
            s.checksumsGood = checksum(packet.left(ipLength)) == 0 && checksum(pseudo + tcp) == 0;
            c.segments << s;
        }
        at += length;
    }
    return c;
}

} // namespace capturereader

inline QList<Capture::Stream> Capture::streams() const
{
    QList<Stream> out;
    QList<quint32> next[2]; // per stream: the next sequence number from the client, the server
    for (const CapturedSegment &s : segments) {
        if ((s.flags & 0x12) == 0x02) { // SYN: a new connection
            out << Stream{s.srcPort, s.dstPort, {}, {}, {}};
            next[0] << s.seq + 1;
            next[1] << 0;
        }
        qsizetype i = out.size() - 1;
        for (; i >= 0; --i)
            if ((out[i].clientPort == s.srcPort && out[i].serverPort == s.dstPort) ||
                (out[i].clientPort == s.dstPort && out[i].serverPort == s.srcPort))
                break;
        if (i < 0)
            continue;
        const bool fromClient = s.srcPort == out[i].clientPort;
        if ((s.flags & 0x12) == 0x12)
            next[1][i] = s.seq + 1;
        QString f;
        for (const auto &[bit, letter] : {std::pair{0x10, 'A'}, {0x08, 'P'}, {0x04, 'R'}, {0x02, 'S'}, {0x01, 'F'}})
            if (s.flags & bit)
                f += QChar(fromClient ? letter : QChar(letter).toLower());
        out[i].flags += (out[i].flags.isEmpty() ? "" : " ") + f;
        if (!s.payload.isEmpty()) {
            quint32 &expected = next[fromClient ? 0 : 1][i];
            if (s.seq != expected)
                out[i].flags += QStringLiteral("(gap)");
            expected = s.seq + quint32(s.payload.size());
            (fromClient ? out[i].fromClient : out[i].fromServer) += s.payload;
        }
    }
    return out;
}

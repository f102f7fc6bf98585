#include "record/pcapng.h"

#include <QtEndian>

namespace pcapng {
namespace {

constexpr quint32 kSectionHeader = 0x0A0D0D0A;
constexpr quint32 kInterfaceDescription = 1;
constexpr quint32 kEnhancedPacket = 6;
constexpr quint32 kByteOrderMagic = 0x1A2B3C4D;

constexpr quint16 kOptEnd = 0, kOptComment = 1;
constexpr quint16 kShbUserAppl = 4;
constexpr quint16 kIfName = 2, kIfDescription = 3, kIfTsResol = 9;

void put16(QByteArray &out, quint16 v)
{
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&le), 2);
}

void put32(QByteArray &out, quint32 v)
{
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&le), 4);
}

qsizetype padding(qsizetype n)
{
    return (4 - n % 4) % 4;
}

void option(QByteArray &out, quint16 code, QByteArrayView value)
{
    if (value.isEmpty())
        return;
    // An option's length is 16 bits; a longer value is cut (only comments could be that long).
    const qsizetype n = qMin<qsizetype>(value.size(), 0xFFFC);
    put16(out, code);
    put16(out, quint16(n));
    out.append(value.first(n));
    out.append(padding(n), '\0');
}

void endOptions(QByteArray &out)
{
    put16(out, kOptEnd);
    put16(out, 0);
}

// Fills in the block's total length at both ends.
QByteArray finish(QByteArray body, quint32 type)
{
    QByteArray block;
    put32(block, type);
    put32(block, quint32(body.size() + 12));
    block += body;
    put32(block, quint32(body.size() + 12));
    return block;
}

} // namespace

QByteArray sectionHeader(QByteArrayView application, QByteArrayView comment)
{
    QByteArray body;
    put32(body, kByteOrderMagic);
    put16(body, 1); // version 1.0
    put16(body, 0);
    put32(body, 0xFFFFFFFF); // section length: not given
    put32(body, 0xFFFFFFFF);
    option(body, kOptComment, comment);
    option(body, kShbUserAppl, application);
    endOptions(body);
    return finish(body, kSectionHeader);
}

QByteArray interfaceDescription(quint16 linkType, quint32 snapLength, QByteArrayView name, QByteArrayView description)
{
    QByteArray body;
    put16(body, linkType);
    put16(body, 0);
    put32(body, snapLength);
    option(body, kIfName, name);
    option(body, kIfDescription, description);
    const char microseconds = 6;
    option(body, kIfTsResol, QByteArrayView(&microseconds, 1));
    endOptions(body);
    return finish(body, kInterfaceDescription);
}

PacketFrame packetFrame(quint32 interfaceId, quint64 micros, quint32 length, QByteArrayView comment)
{
    QByteArray options;
    if (!comment.isEmpty()) {
        option(options, kOptComment, comment);
        endOptions(options);
    }
    const quint32 total = quint32(28 + length + padding(length) + options.size() + 4);
    PacketFrame frame;
    frame.head.reserve(28);
    put32(frame.head, kEnhancedPacket);
    put32(frame.head, total);
    put32(frame.head, interfaceId);
    put32(frame.head, quint32(micros >> 32));
    put32(frame.head, quint32(micros));
    put32(frame.head, length); // captured
    put32(frame.head, length); // on the wire
    frame.tail.append(padding(length), '\0');
    frame.tail += options;
    put32(frame.tail, total);
    return frame;
}

} // namespace pcapng

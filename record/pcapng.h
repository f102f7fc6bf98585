#pragma once
// The blocks of a pcapng file, little-endian: the section header, an interface description and
// enhanced packet blocks, each with an optional comment. Only what a capture of our own
// connections needs.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace pcapng {

// Link type of packets that begin with their IPv4 header.
inline constexpr quint16 kLinkTypeRaw = 101;

QByteArray sectionHeader(QByteArrayView application, QByteArrayView comment);
QByteArray interfaceDescription(quint16 linkType, quint32 snapLength, QByteArrayView name,
                                QByteArrayView description);

// An enhanced packet block around packet bytes that are written separately: the block is
// head, then the packet's length bytes, then tail. Timestamps in microseconds since the epoch.
struct PacketFrame {
    QByteArray head;
    QByteArray tail;
};
PacketFrame packetFrame(quint32 interfaceId, quint64 micros, quint32 length, QByteArrayView comment);

} // namespace pcapng

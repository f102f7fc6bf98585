#pragma once
// What went over a connection, told as it happens, for records kept beside the window (a
// capture file, a traffic log). The connection object calls a tap right after the platform
// call it reports: bytes sent are what the platform took (bytes that waited in the outgoing
// queue are told when they leave), bytes received are what one recv read.
//
// A tap must not throw and must not run an event loop: it is called in the middle of the
// connection's own work, with its lock held. A tap that fails keeps that to itself and says so
// later, from the event loop.

#include "net/platform.h"

#include <QByteArray>
#include <QByteArrayView>

namespace net {

class TrafficTap {
public:
    virtual ~TrafficTap() = default;

    // The connect completed: the connection's own addresses, and the host (or address) it was
    // opened with, as given.
    virtual void connected(const SockAddrIn &local, const SockAddrIn &remote, const QByteArray &host) = 0;
    virtual void sent(QByteArrayView bytes) = 0;
    virtual void received(QByteArrayView bytes) = 0;
    // The peer closed its side in order (FD_CLOSE without an error).
    virtual void peerClosed() = 0;
    // The connection ended abnormally: a reset by the peer, an abort, a failed send or recv
    // (code in the Windows Sockets numbering).
    virtual void failed(int code) = 0;
    // The socket is being closed here. Comes after peerClosed or failed too.
    virtual void closed() = 0;
};

} // namespace net

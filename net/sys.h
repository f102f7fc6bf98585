#pragma once
// The raw socket calls of one system, beneath the platform layer (platform.cpp), which keeps
// handles, notifications, lookups and test faults the same on every system. One file per system
// implements these (sys_posix.cpp, sys_win.cpp); every error comes back in the Windows Sockets
// numbering.

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>

namespace net::sys {

using Descriptor = qintptr;
inline constexpr Descriptor kNoDescriptor = -1;

// Library start-up and clean-up (once per connection object): 0 or an error code.
int startup();
int cleanup();

// A new IPv4 stream socket with a bounded receive buffer; kNoDescriptor and *error on failure.
Descriptor openStream(int *error);
void close(Descriptor fd);
void setNonBlocking(Descriptor fd, bool on);

enum class ConnectResult {
    Connected,  // at once
    InProgress, // the outcome follows when the socket becomes writable
    Outcome,    // failed at once, but the select model reports it through FD_CONNECT (*error)
    Failed,     // failed (*error)
};
// addr and port in network byte order.
ConnectResult connect(Descriptor fd, std::uint32_t addr, std::uint16_t port, int *error);
// The outcome of a connect that was in progress: 0 or its error.
int connectError(Descriptor fd);

// The number of bytes sent or received, or -1 with *error (10035 for "would block").
qint64 send(Descriptor fd, const char *buf, qint64 len, int *error);
qint64 recv(Descriptor fd, char *buf, qint64 len, int *error);

// Bytes waiting to be read; false with *error when that cannot be told.
bool bytesWaiting(Descriptor fd, unsigned long *waiting, int *error);
// What a readable socket holds: 1 data, 0 an orderly close, -1 an error (*error; 10035 when
// nothing is there after all).
int peek(Descriptor fd, int *error);

// The service's port in network order, 0 when not found.
std::uint16_t servicePort(const QByteArray &service, const QByteArray &protocol);
// A dotted IPv4 address in network order, or 0xFFFFFFFF.
std::uint32_t inetAddr(const QByteArray &dotted);
std::uint32_t hostToNetwork(std::uint32_t v);

} // namespace net::sys

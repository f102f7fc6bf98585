#pragma once
// The raw socket calls of one system, beneath the platform layer (platform.cpp), which keeps
// handles, notifications, lookups and test faults the same on every system. One file per system
// implements these (sys_posix.cpp, sys_win.cpp); every error comes back in the Windows Sockets
// numbering.

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>

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

// The local or the remote address of a connected socket (network order); false with *error
// when the system cannot tell it.
enum class End { Local, Peer };
bool address(Descriptor fd, End end, std::uint32_t *addr, std::uint16_t *port, int *error);

// The service's port in network order, 0 when not found.
std::uint16_t servicePort(const QByteArray &service, const QByteArray &protocol);
// A dotted IPv4 address in network order, or 0xFFFFFFFF.
std::uint32_t inetAddr(const QByteArray &dotted);

// The select model's notifications of sockets, delivered on the GUI thread: FD_CONNECT once when
// a connect completes (with its error), FD_WRITE after a connect and again only after a send met
// "would block", FD_READ when bytes wait and not again until recv was called, FD_CLOSE once (0 for
// an orderly close, else the error), bytes still waiting reported by FD_READ first. Windows
// Sockets post these themselves (WSAAsyncSelect to a hidden window); on POSIX they are made from
// the readiness of the socket.
class Selector {
public:
    // The notification bits, as Windows Sockets number them.
    static constexpr unsigned Read = 1, Write = 2, Connect = 16, Close = 32;
    using Notify = std::function<void(Descriptor fd, unsigned event, int error)>;

    explicit Selector(Notify notify);
    ~Selector();
    Selector(const Selector &) = delete;
    Selector &operator=(const Selector &) = delete;

    // Starts the notifications in mask for fd (making it non-blocking), or stops them (0).
    void select(Descriptor fd, unsigned mask);
    // A connect of fd is under way; its outcome comes as FD_CONNECT.
    void connectStarted(Descriptor fd);
    // A connect of fd completed at once with error (0: connected): its FD_CONNECT is due.
    void connectDone(Descriptor fd, int error);
    // recv was called on fd; a send on fd met "would block".
    void received(Descriptor fd);
    void sendBlocked(Descriptor fd);
    // fd is about to be closed: nothing more is said of it, not even what was already on its way.
    void forget(Descriptor fd);

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace net::sys

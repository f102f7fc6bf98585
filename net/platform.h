#pragma once
// The socket calls the client component relies on, with the semantics of the asynchronous
// select model: readiness is watched on the GUI thread and turned into notifications (handle,
// event, error) that are posted to a target object and handled there one at a time, in order.
//
// Rules the component may rely on:
// - Handles are our own increasing numbers, never reused within a run, so a stale notification
//   can never be taken for a new socket; notifications and lookup results still queued for a
//   socket that was closed, or for a lookup that was cancelled, are dropped on delivery.
// - FD_CONNECT once when the connect completes (with the error when it failed). A non-blocking
//   connect always answers "would block"; even a connect the kernel completes at once reports
//   its outcome through FD_CONNECT.
// - FD_WRITE once after a successful connect, then again only after a send met "would block".
// - FD_READ when bytes are waiting, and not again until recv has been called.
// - FD_CLOSE once, with 0 for an orderly close by the peer or the error of an abnormal end;
//   bytes still waiting are reported by FD_READ first.
// - send never raises SIGPIPE.
// Every call can be made to fail once from a test (failNext).

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QtGlobal>

#include <cstdint>

namespace net {

using SocketHandle = quintptr;
using RequestHandle = quintptr;
inline constexpr SocketHandle INVALID_SOCKET = ~SocketHandle(0);
inline constexpr int SOCKET_ERROR = -1;

inline constexpr unsigned FD_READ = 1;
inline constexpr unsigned FD_WRITE = 2;
inline constexpr unsigned FD_ACCEPT = 8;
inline constexpr unsigned FD_CONNECT = 16;
inline constexpr unsigned FD_CLOSE = 32;

// IPv4 socket address; port and address in network byte order.
struct SockAddrIn {
    std::uint16_t family = 2; // AF_INET
    std::uint16_t port = 0;
    std::uint32_t addr = 0;
};

inline constexpr std::uint32_t INADDR_NONE_ = 0xFFFFFFFFu;

enum class Call {
    Startup,
    Cleanup,
    Socket,
    Connect,
    Send,
    Recv,
    CloseSocket,
    AsyncGetHostByName,
    AsyncGetServByName,
    CancelAsyncRequest,
};

// Posted to the target of a socket (message 1025 of the select model).
class SocketNotifyEvent : public QEvent {
public:
    static QEvent::Type eventType();
    SocketNotifyEvent(SocketHandle socket, unsigned event, int error);
    SocketHandle socket;
    unsigned event;
    int error;
};

// Posted to the target of a lookup (message 1027). On success `data` holds the first IPv4
// address (4 bytes, network order) of a host lookup or the port (2 bytes, network order) of a
// service lookup.
class LookupCompleteEvent : public QEvent {
public:
    static QEvent::Type eventType();
    LookupCompleteEvent(RequestHandle request, int error, QByteArray data);
    RequestHandle request;
    int error;
    QByteArray data;
};

class Platform {
public:
    static Platform &instance();

    // Library start-up and clean-up, once per connection object: 0 or an error code;
    // cleanup returns SOCKET_ERROR with lastError() set when it fails.
    int startup();
    int cleanup();

    SocketHandle socket();
    int connect(SocketHandle s, const SockAddrIn &addr);
    int send(SocketHandle s, const char *buf, int len);
    int recv(SocketHandle s, char *buf, int len);
    int closesocket(SocketHandle s);
    int ioctlFionread(SocketHandle s, unsigned long *waiting);
    int ioctlFionbio(SocketHandle s, bool nonBlocking);

    // The local and the remote address of a connected socket: 0, or SOCKET_ERROR with lastError().
    int getsockname(SocketHandle s, SockAddrIn *addr);
    int getpeername(SocketHandle s, SockAddrIn *addr);

    // Selects the notifications in mask for s, posted to target; makes s non-blocking. With a
    // null target and mask 0 no more notifications are posted.
    int asyncSelect(SocketHandle s, QObject *target, unsigned mask);

    // Asynchronous lookups; 0 on failure. The result is posted to target.
    RequestHandle asyncGetHostByName(QObject *target, const QByteArray &host);
    RequestHandle asyncGetServByName(QObject *target, const QByteArray &service, const QByteArray &protocol);
    int cancelAsyncRequest(RequestHandle request);

    // Blocking lookups: the first IPv4 address in network order (0 when not found) and the
    // service port in network order (0 when not found).
    std::uint32_t gethostbyname(const QByteArray &host);
    std::uint16_t getservbyname(const QByteArray &service, const QByteArray &protocol);

    static std::uint32_t inet_addr(const QByteArray &dotted);

    int lastError() const { return m_lastError; }

    // Tests: the next call of that kind fails with code (for startup: returns code).
    void failNext(Call call, int code);
    void clearFaults();
    // Tests: posts a notification as the platform would.
    void postNotification(SocketHandle s, unsigned event, int error);
    // Open handles, for leak checks.
    int openSocketCount() const;

    // Used on delivery: false for notifications of closed sockets and results of cancelled lookups.
    bool acceptNotification(const SocketNotifyEvent &e) const;
    bool acceptLookup(const LookupCompleteEvent &e);

    struct Private;

private:
    Platform();
    ~Platform();
    Private *d;
    int m_lastError = 0;
};

inline Platform &platform()
{
    return Platform::instance();
}

} // namespace net

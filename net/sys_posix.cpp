#include "net/sys.h"

#include "net/wsaerrors.h"

#include <QObject>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <map>

namespace net::sys {

namespace {
constexpr int kReceiveBufferBytes = 256 * 1024;

// errno to the Windows Sockets numbering. An errno without a counterpart is passed on as it is.
int wsaFromErrno(int err)
{
    using namespace wsa;
    switch (err) {
    case 0: return 0;
    case EWOULDBLOCK: return EWOULDBLOCK_;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN: return EWOULDBLOCK_;
#endif
    case EINPROGRESS: return EWOULDBLOCK_;
    case EINTR: return EINTR_;
    case EBADF: return ENOTSOCK_;
    case ENOTSOCK: return ENOTSOCK_;
    case EACCES: return EACCES_;
    case EFAULT: return EFAULT_;
    case EINVAL: return EINVAL_;
    case EMFILE: return EMFILE_;
    case ENFILE: return EMFILE_;
    case EALREADY: return EALREADY_;
    case EMSGSIZE: return EMSGSIZE_;
    case EAFNOSUPPORT: return EAFNOSUPPORT_;
    case EADDRINUSE: return EADDRINUSE_;
    case EADDRNOTAVAIL: return EADDRNOTAVAIL_;
    case ENETDOWN: return ENETDOWN_;
    case ENETUNREACH: return ENETUNREACH_;
    case ENETRESET: return ENETRESET_;
    case ECONNABORTED: return ECONNABORTED_;
    case EPIPE: return ECONNABORTED_;
    case ECONNRESET: return ECONNRESET_;
    case ENOBUFS: return ENOBUFS_;
    case ENOMEM: return ENOBUFS_;
    case EISCONN: return EISCONN_;
    case ENOTCONN: return ENOTCONN_;
    case ESHUTDOWN: return ESHUTDOWN_;
    case ETIMEDOUT: return ETIMEDOUT_;
    case ECONNREFUSED: return ECONNREFUSED_;
    case EHOSTDOWN: return EHOSTDOWN_;
    case EHOSTUNREACH: return EHOSTUNREACH_;
    default: return err;
    }
}
} // namespace

int startup()
{
    return 0;
}

int cleanup()
{
    return 0;
}

Descriptor openStream(int *error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = wsaFromErrno(errno);
        return kNoDescriptor;
    }
    // A bounded receive buffer, as the select model's platform keeps it: what one FD_READ finds
    // waiting stays a size that a handler can show at once (kernel autotuning would let it grow
    // to many megabytes under a flood, and one arrival would then hold up the event loop).
    const int receiveBuffer = kReceiveBufferBytes;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    return fd;
}

void close(Descriptor fd)
{
    ::close(int(fd));
}

void setNonBlocking(Descriptor fd, bool on)
{
    const int flags = ::fcntl(int(fd), F_GETFL);
    ::fcntl(int(fd), F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

ConnectResult connect(Descriptor fd, std::uint32_t addr, std::uint16_t port, int *error)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = port;
    sa.sin_addr.s_addr = addr;
    if (::connect(int(fd), reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0)
        return ConnectResult::Connected;
    const int err = errno;
    *error = wsaFromErrno(err);
    if (err == EINPROGRESS)
        return ConnectResult::InProgress;
    // Outcomes the kernel may report at once on loopback.
    if (err == ECONNREFUSED || err == ETIMEDOUT || err == ENETUNREACH || err == EHOSTUNREACH)
        return ConnectResult::Outcome;
    return ConnectResult::Failed;
}

int connectError(Descriptor fd)
{
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(int(fd), SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        err = errno;
    return wsaFromErrno(err);
}

qint64 send(Descriptor fd, const char *buf, qint64 len, int *error)
{
    const ssize_t r = ::send(int(fd), buf, size_t(len), MSG_NOSIGNAL);
    if (r < 0) {
        // This layer never shuts its own side down, so a broken pipe means the peer ended the
        // connection (typically with a reset whose error the readiness check has already
        // taken); it is reported as the reset it is, not as a local abort.
        *error = errno == EPIPE ? wsa::ECONNRESET_ : wsaFromErrno(errno);
        return -1;
    }
    return r;
}

qint64 recv(Descriptor fd, char *buf, qint64 len, int *error)
{
    const ssize_t r = ::recv(int(fd), buf, size_t(len), 0);
    if (r < 0)
        *error = wsaFromErrno(errno);
    return r;
}

bool bytesWaiting(Descriptor fd, unsigned long *waiting, int *error)
{
    int n = 0;
    if (::ioctl(int(fd), FIONREAD, &n) != 0) {
        *error = wsaFromErrno(errno);
        return false;
    }
    *waiting = static_cast<unsigned long>(n);
    return true;
}

int peek(Descriptor fd, int *error)
{
    char c;
    const ssize_t r = ::recv(int(fd), &c, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r > 0)
        return 1;
    if (r == 0)
        return 0;
    *error = errno == EINTR ? wsa::EWOULDBLOCK_ : wsaFromErrno(errno);
    return -1;
}

bool address(Descriptor fd, End end, std::uint32_t *addr, std::uint16_t *port, int *error)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    const int r = end == End::Peer ? ::getpeername(int(fd), reinterpret_cast<sockaddr *>(&sa), &len)
                                   : ::getsockname(int(fd), reinterpret_cast<sockaddr *>(&sa), &len);
    if (r != 0 || sa.sin_family != AF_INET) {
        *error = r != 0 ? wsaFromErrno(errno) : wsa::EAFNOSUPPORT_;
        return false;
    }
    *addr = sa.sin_addr.s_addr;
    *port = sa.sin_port;
    return true;
}

std::uint16_t servicePort(const QByteArray &service, const QByteArray &protocol)
{
    const servent *se = ::getservbyname(service.constData(), protocol.constData());
    return se ? static_cast<std::uint16_t>(se->s_port) : 0;
}

std::uint32_t inetAddr(const QByteArray &dotted)
{
    return ::inet_addr(dotted.constData());
}

} // namespace net::sys

// The select model's notifications, made from the readiness of each socket.

namespace net::sys {

namespace {
struct Watch {
    unsigned mask = 0;
    std::unique_ptr<QSocketNotifier> readNotifier;
    std::unique_ptr<QSocketNotifier> writeNotifier;
    bool connectPending = false;
    bool connected = false;
    bool closePosted = false;
};
} // namespace

struct Selector::Private {
    Notify notify;
    std::map<Descriptor, Watch> watches;
    QObject context; // receives the notifiers' signals

    Watch &watch(Descriptor fd)
    {
        Watch &w = watches[fd];
        if (!w.readNotifier) {
            w.readNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            w.readNotifier->setEnabled(false);
            QObject::connect(w.readNotifier.get(), &QSocketNotifier::activated, &context,
                             [this, fd] { onReadable(fd); });
            w.writeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            w.writeNotifier->setEnabled(false);
            QObject::connect(w.writeNotifier.get(), &QSocketNotifier::activated, &context,
                             [this, fd] { onWritable(fd); });
        }
        return w;
    }

    void armRead(Watch &w)
    {
        if (w.connected && !w.closePosted && (w.mask & (Read | Close)))
            w.readNotifier->setEnabled(true);
    }

    void completeConnect(Descriptor fd, Watch &w, int error)
    {
        w.connectPending = false;
        w.writeNotifier->setEnabled(false);
        if (error == 0) {
            w.connected = true;
            armRead(w);
        }
        notify(fd, Connect, error);
        if (error == 0)
            notify(fd, Write, 0);
    }

    void onReadable(Descriptor fd)
    {
        auto it = watches.find(fd);
        if (it == watches.end())
            return;
        Watch &w = it->second;
        w.readNotifier->setEnabled(false); // until the next recv
        if (!w.connected || w.closePosted)
            return;
        unsigned long waiting = 0;
        int error = 0;
        if (bytesWaiting(fd, &waiting, &error) && waiting > 0) {
            notify(fd, Read, 0);
            return;
        }
        const int r = peek(fd, &error);
        if (r > 0) {
            notify(fd, Read, 0);
        } else if (r == 0) {
            w.closePosted = true;
            notify(fd, Close, 0);
        } else if (error == wsa::EWOULDBLOCK_) {
            w.readNotifier->setEnabled(true);
        } else {
            w.closePosted = true;
            notify(fd, Close, error);
        }
    }

    void onWritable(Descriptor fd)
    {
        auto it = watches.find(fd);
        if (it == watches.end())
            return;
        Watch &w = it->second;
        w.writeNotifier->setEnabled(false);
        if (w.connectPending)
            completeConnect(fd, w, connectError(fd));
        else if (w.connected)
            notify(fd, Write, 0);
    }
};

Selector::Selector(Notify notify) : d(std::make_unique<Private>())
{
    d->notify = std::move(notify);
}

Selector::~Selector() = default;

void Selector::select(Descriptor fd, unsigned mask)
{
    Watch &w = d->watch(fd);
    w.mask = mask;
    if (mask) {
        setNonBlocking(fd, true);
        d->armRead(w);
    } else {
        w.readNotifier->setEnabled(false);
        w.writeNotifier->setEnabled(false);
    }
}

void Selector::connectStarted(Descriptor fd)
{
    Watch &w = d->watch(fd);
    w.connectPending = true;
    w.writeNotifier->setEnabled(true);
}

void Selector::connectDone(Descriptor fd, int error)
{
    d->completeConnect(fd, d->watch(fd), error);
}

void Selector::received(Descriptor fd)
{
    auto it = d->watches.find(fd);
    if (it != d->watches.end())
        d->armRead(it->second);
}

void Selector::sendBlocked(Descriptor fd)
{
    auto it = d->watches.find(fd);
    if (it != d->watches.end() && it->second.connected)
        it->second.writeNotifier->setEnabled(true);
}

void Selector::forget(Descriptor fd)
{
    d->watches.erase(fd);
}

} // namespace net::sys

#include "net/sys.h"

// Windows Sockets; its error codes are the numbering the program reports on every system.
#include <winsock2.h>
#include <ws2tcpip.h>

namespace net::sys {

namespace {
constexpr int kReceiveBufferBytes = 256 * 1024;

SOCKET handle(Descriptor fd)
{
    return static_cast<SOCKET>(fd);
}
} // namespace

int startup()
{
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data);
}

int cleanup()
{
    return ::WSACleanup() == 0 ? 0 : ::WSAGetLastError();
}

Descriptor openStream(int *error)
{
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        *error = ::WSAGetLastError();
        return kNoDescriptor;
    }
    // Not inherited by programs started later, as a POSIX socket opened close-on-exec is not.
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    // A bounded receive buffer: what one FD_READ finds waiting stays a size that a handler can
    // show at once.
    const int receiveBuffer = kReceiveBufferBytes;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&receiveBuffer), sizeof receiveBuffer);
    return static_cast<Descriptor>(s);
}

void close(Descriptor fd)
{
    ::closesocket(handle(fd));
}

void setNonBlocking(Descriptor fd, bool on)
{
    u_long mode = on ? 1 : 0;
    ::ioctlsocket(handle(fd), FIONBIO, &mode);
}

ConnectResult connect(Descriptor fd, std::uint32_t addr, std::uint16_t port, int *error)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = port;
    sa.sin_addr.s_addr = addr;
    if (::connect(handle(fd), reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0)
        return ConnectResult::Connected;
    *error = ::WSAGetLastError();
    if (*error == WSAEWOULDBLOCK)
        return ConnectResult::InProgress;
    if (*error == WSAECONNREFUSED || *error == WSAETIMEDOUT || *error == WSAENETUNREACH || *error == WSAEHOSTUNREACH)
        return ConnectResult::Outcome;
    return ConnectResult::Failed;
}

int connectError(Descriptor fd)
{
    int err = 0;
    int len = sizeof err;
    if (::getsockopt(handle(fd), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&err), &len) != 0)
        err = ::WSAGetLastError();
    return err;
}

qint64 send(Descriptor fd, const char *buf, qint64 len, int *error)
{
    const int r = ::send(handle(fd), buf, int(len), 0);
    if (r == SOCKET_ERROR) {
        *error = ::WSAGetLastError();
        return -1;
    }
    return r;
}

qint64 recv(Descriptor fd, char *buf, qint64 len, int *error)
{
    const int r = ::recv(handle(fd), buf, int(len), 0);
    if (r == SOCKET_ERROR) {
        *error = ::WSAGetLastError();
        return -1;
    }
    return r;
}

bool bytesWaiting(Descriptor fd, unsigned long *waiting, int *error)
{
    u_long n = 0;
    if (::ioctlsocket(handle(fd), FIONREAD, &n) != 0) {
        *error = ::WSAGetLastError();
        return false;
    }
    *waiting = n;
    return true;
}

int peek(Descriptor fd, int *error)
{
    char c;
    const int r = ::recv(handle(fd), &c, 1, MSG_PEEK); // the socket is non-blocking here
    if (r > 0)
        return 1;
    if (r == 0)
        return 0;
    *error = ::WSAGetLastError();
    return -1;
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

std::uint32_t hostToNetwork(std::uint32_t v)
{
    return htonl(v);
}

} // namespace net::sys

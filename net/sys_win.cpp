#include "net/sys.h"

// Windows Sockets; its error codes are the numbering the program reports on every system.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <vector>

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

bool address(Descriptor fd, End end, std::uint32_t *addr, std::uint16_t *port, int *error)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    const int r = end == End::Peer ? ::getpeername(handle(fd), reinterpret_cast<sockaddr *>(&sa), &len)
                                   : ::getsockname(handle(fd), reinterpret_cast<sockaddr *>(&sa), &len);
    if (r != 0 || sa.sin_family != AF_INET) {
        *error = r != 0 ? ::WSAGetLastError() : WSAEAFNOSUPPORT;
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

// The select model's notifications as Windows Sockets post them (WSAAsyncSelect) to a hidden
// message-only window of the GUI thread, whose messages Qt's event loop dispatches.

namespace net::sys {

namespace {
constexpr UINT kSocketMessage = WM_USER + 1; // message 1025 of the select model
const wchar_t kWindowClass[] = L"MiravenSocketWindow";
} // namespace

struct Selector::Private {
    Notify notify;
    HWND window = nullptr;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == kSocketMessage) {
            auto *self = reinterpret_cast<Private *>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (self)
                self->notify(static_cast<Descriptor>(wParam), WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

Selector::Selector(Notify notify) : d(std::make_unique<Private>())
{
    d->notify = std::move(notify);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Private::windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    ::RegisterClassW(&wc); // fails harmlessly when already registered
    d->window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (d->window)
        ::SetWindowLongPtrW(d->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d.get()));
}

Selector::~Selector()
{
    if (d->window)
        ::DestroyWindow(d->window);
}

void Selector::select(Descriptor fd, unsigned mask)
{
    // Also makes the socket non-blocking, as the select model does.
    ::WSAAsyncSelect(static_cast<SOCKET>(fd), d->window, mask ? kSocketMessage : 0, long(mask));
}

void Selector::connectStarted(Descriptor)
{
    // FD_CONNECT comes by itself.
}

void Selector::connectDone(Descriptor fd, int error)
{
    // A connect Windows Sockets completed at once: its notifications, as they would have come.
    d->notify(fd, Connect, error);
    if (error == 0)
        d->notify(fd, Write, 0);
}

void Selector::received(Descriptor)
{
    // recv itself asks for the next FD_READ.
}

void Selector::sendBlocked(Descriptor)
{
    // FD_WRITE comes by itself once there is room.
}

void Selector::forget(Descriptor fd)
{
    ::WSAAsyncSelect(static_cast<SOCKET>(fd), d->window, 0, 0);
    // Notifications already queued for it are taken out: a socket opened later may get the same
    // number, and must not receive them. The others go back in their order.
    std::vector<MSG> others;
    MSG msg;
    while (::PeekMessageW(&msg, d->window, kSocketMessage, kSocketMessage, PM_REMOVE)) {
        if (static_cast<Descriptor>(msg.wParam) != fd)
            others.push_back(msg);
    }
    for (const MSG &m : others)
        ::PostMessageW(d->window, m.message, m.wParam, m.lParam);
}

} // namespace net::sys

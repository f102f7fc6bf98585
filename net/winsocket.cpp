#include "net/winsocket.h"

#include "core/guard.h"
#include "net/socketerror.h"
#include "net/wsaerrors.h"

#include <QEvent>
#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace net;

namespace {

constexpr int kHostDataSize = 1024;

[[noreturn]] void raise(const QString &message)
{
    throw ESocketError(message.toStdString());
}

// The hidden target of notifications and lookup results. Each one is handled through the
// application's guard, so an exception from an event handler reaches the exception box and
// the event loop goes on.
class NotifyTarget : public QObject {
public:
    explicit NotifyTarget(TCustomWinSocket *owner) : m_owner(owner) {}

    bool event(QEvent *e) override
    {
        if (e->type() == SocketNotifyEvent::eventType()) {
            auto *msg = static_cast<SocketNotifyEvent *>(e);
            if (platform().acceptNotification(*msg))
                guard::run([&] { m_owner->HandleSocketNotification(*msg); });
            return true;
        }
        if (e->type() == LookupCompleteEvent::eventType()) {
            auto *msg = static_cast<LookupCompleteEvent *>(e);
            if (platform().acceptLookup(*msg))
                guard::run([&] { m_owner->HandleLookupComplete(*msg); });
            return true;
        }
        return QObject::event(e);
    }

private:
    TCustomWinSocket *m_owner;
};

TErrorEvent kindOf(unsigned event)
{
    switch (event) {
    case FD_READ: return eeReceive;
    case FD_WRITE: return eeSend;
    case FD_CONNECT: return eeConnect;
    case FD_CLOSE: return eeDisconnect;
    case FD_ACCEPT: return eeAccept;
    default: return eeGeneral;
    }
}

} // namespace

TCustomWinSocket::TCustomWinSocket(net::SocketHandle socket)
    : FSocket(socket), FConnected(socket != INVALID_SOCKET)
{
    const int r = platform().startup();
    if (r != 0)
        raise(socketmsg::windowsSocketError(r, "WSAStartup"));
}

TCustomWinSocket::~TCustomWinSocket()
{
    OnSocketEvent = nullptr; // nothing is delivered any more
    try {
        if (FConnected && FSocket != INVALID_SOCKET)
            CloseConnection(FSocket);
    } catch (const std::exception &e) {
        guard::report(e);
    }
    ReleasePendingAttempt();
    FHandle.reset();
    // A failed clean-up is shown like any other failure; a destructor must not throw.
    if (platform().cleanup() == SOCKET_ERROR) {
        const int code = platform().lastError();
        guard::report(ESocketError(socketmsg::windowsSocketError(code, "WSACleanup").toStdString()));
    }
}

QObject *TCustomWinSocket::NotifyWindow()
{
    if (!FHandle)
        FHandle = std::make_unique<NotifyTarget>(this);
    return FHandle.get();
}

void TCustomWinSocket::Event(TSocketNotice notice)
{
    if (OnSocketEvent)
        OnSocketEvent(this, notice);
}

void TCustomWinSocket::Error(TErrorEvent kind, int &code)
{
    if (OnErrorEvent)
        OnErrorEvent(this, kind, code);
}

void TCustomWinSocket::CheckSocketCall(bool failed, const char *api)
{
    if (!failed)
        return;
    const int code = platform().lastError();
    if (code == wsa::EWOULDBLOCK_)
        return;
    raise(socketmsg::windowsSocketError(code, api));
}

void TCustomWinSocket::ReleasePendingAttempt() noexcept
{
    if (FGetHostData != 0) {
        platform().cancelAsyncRequest(FGetHostData);
        FGetHostData = 0;
    }
    if (!FConnected && FSocket != INVALID_SOCKET) {
        platform().closesocket(FSocket);
        FSocket = INVALID_SOCKET;
        FAddr = SockAddrIn{};
    }
    FLookupState = lpNone;
}

void TCustomWinSocket::SetNotifyMask(unsigned mask)
{
    FAsyncStyles = mask;
    if (FSocket != INVALID_SOCKET)
        ApplyNotifyMask();
}

void TCustomWinSocket::ApplyNotifyMask()
{
    if (FAsyncStyles != 0) {
        platform().asyncSelect(FSocket, NotifyWindow(), FAsyncStyles);
    } else {
        platform().asyncSelect(FSocket, nullptr, 0);
        platform().ioctlFionbio(FSocket, false);
    }
}

void TCustomWinSocket::Open(const QByteArray &host, const QByteArray &address, const QByteArray &service,
                            quint16 port, bool blocking)
{
    if (FConnected)
        raise(QString::fromLatin1(socketmsg::SocketAlreadyOpen));
    ReleasePendingAttempt();
    FTapHost = !host.isEmpty() ? host : address;

    FSocket = platform().socket();
    if (FSocket == INVALID_SOCKET)
        raise(QString::fromLatin1(socketmsg::CantCreateSocket));
    try {
        Event(snLookup);
        if (!blocking) {
            AdvanceLookup(host, address, service, port, 0, true);
        } else {
            FAddr = SockAddrIn{};
            if (!host.isEmpty())
                FAddr.addr = platform().gethostbyname(host);
            else if (!address.isEmpty())
                FAddr.addr = Platform::inet_addr(address);
            else
                raise(QString::fromLatin1(socketmsg::NoAddress));
            FAddr.port = !service.isEmpty() ? platform().getservbyname(service, "tcp") : qToBigEndian<quint16>(port);
            StartConnect();
        }
    } catch (...) {
        CloseConnection(FSocket);
        throw;
    }
}

void TCustomWinSocket::AdvanceLookup(const QByteArray &host, const QByteArray &address, const QByteArray &service,
                                     quint16 port, int queueSize, bool client)
{
    try {
        for (;;) {
            switch (FLookupState) {
            case lpNone:
                if (client && !host.isEmpty()) {
                    if (!FDataBuf) {
                        FDataBuf = std::make_unique<char[]>(kHostDataSize);
                        std::memset(FDataBuf.get(), 0, kHostDataSize);
                    }
                    FGetHostData = platform().asyncGetHostByName(NotifyWindow(), host);
                    CheckSocketCall(FGetHostData == 0, "WSAASyncGetHostByName");
                    FService = service;
                    FPort = port;
                    FQueueSize = queueSize;
                    FClient = client;
                    FLookupState = lpHostName;
                    return; // the result arrives as a lookup-complete message
                }
                if (client && !address.isEmpty()) {
                    FLookupState = lpHostName;
                    FAddr.addr = Platform::inet_addr(address);
                    break;
                }
                if (client) {
                    int code = wsa::NoAddress;
                    Error(eeLookup, code);
                    CloseConnection(FSocket);
                    if (code != 0)
                        raise(QString::fromLatin1(socketmsg::NoAddress));
                    return;
                }
                FLookupState = lpHostName;
                FAddr.addr = 0;
                break;
            case lpHostName:
                if (!service.isEmpty()) {
                    if (!FDataBuf) {
                        FDataBuf = std::make_unique<char[]>(kHostDataSize);
                        std::memset(FDataBuf.get(), 0, kHostDataSize);
                    }
                    FGetHostData = platform().asyncGetServByName(NotifyWindow(), service, "tcp");
                    CheckSocketCall(FGetHostData == 0, "WSAASyncGetServByName");
                    // Saved here too: an open by address reaches this step without a host
                    // lookup, and the connect after the service lookup needs them.
                    FQueueSize = queueSize;
                    FClient = client;
                    FLookupState = lpService;
                    return;
                }
                FLookupState = lpService;
                FAddr.port = qToBigEndian<quint16>(port);
                break;
            case lpService:
                FLookupState = lpNone;
                if (client)
                    StartConnect();
                return; // listening sockets are never made here
            }
        }
    } catch (...) {
        CloseConnection(FSocket);
        throw;
    }
}

void TCustomWinSocket::StartConnect()
{
    ApplyNotifyMask();
    Event(snConnecting);
    CheckSocketCall(platform().connect(FSocket, FAddr) == SOCKET_ERROR, "connect");
    FLookupState = lpNone;
    if (!(FAsyncStyles & FD_CONNECT)) {
        FConnected = FSocket != INVALID_SOCKET;
        TapConnected();
        Event(snConnect);
    }
}

void TCustomWinSocket::HandleLookupComplete(const net::LookupCompleteEvent &msg)
{
    if (msg.request != FGetHostData)
        return;
    FGetHostData = 0;
    if (msg.error != 0) {
        int code = msg.error;
        Error(eeLookup, code);
        CloseConnection(FSocket);
        if (code != 0)
            raise(socketmsg::windowsSocketError(msg.error, "ASync Lookup"));
        return;
    }
    std::memcpy(FDataBuf.get(), msg.data.constData(), size_t(qMin<qsizetype>(msg.data.size(), kHostDataSize)));
    if (FLookupState == lpHostName) {
        std::memcpy(&FAddr.addr, FDataBuf.get(), 4);
        AdvanceLookup({}, {}, FService, FPort, FQueueSize, FClient);
    } else if (FLookupState == lpService) {
        std::memcpy(&FAddr.port, FDataBuf.get(), 2);
        FPort = 0;
        FService.clear();
        AdvanceLookup({}, {}, {}, 0, FQueueSize, FClient);
    }
}

void TCustomWinSocket::HandleSocketNotification(const net::SocketNotifyEvent &msg)
{
    if (msg.error != 0) {
        int code = msg.error;
        if (FConnected && msg.socket == FSocket) // the connection broke
            Tap([&](net::TrafficTap *t) { t->failed(msg.error); });
        Error(kindOf(msg.event), code);
        if (code != 0)
            raise(socketmsg::asyncSocketError(code));
        return;
    }
    switch (msg.event) {
    case FD_CONNECT: NotifyConnect(msg.socket); break;
    case FD_CLOSE:
        if (FConnected && msg.socket == FSocket)
            Tap([](net::TrafficTap *t) { t->peerClosed(); });
        CloseConnection(msg.socket);
        break;
    case FD_READ: NotifyRead(msg.socket); break;
    case FD_WRITE: NotifyWrite(msg.socket); break;
    case FD_ACCEPT: NotifyAccept(msg.socket); break;
    default: break;
    }
}

void TCustomWinSocket::NotifyAccept(net::SocketHandle)
{
}

void TCustomWinSocket::NotifyConnect(net::SocketHandle)
{
}

void TCustomWinSocket::NotifyRead(net::SocketHandle socket)
{
    if (FSocket != INVALID_SOCKET && socket == FSocket)
        Event(snRead);
}

void TCustomWinSocket::NotifyWrite(net::SocketHandle socket)
{
    if (FSocket == INVALID_SOCKET || socket != FSocket)
        return;
    FlushQueue();
    if (socket == FSocket) // not closed by a failure while flushing
        Event(snWrite);
}

void TCustomWinSocket::CloseConnection(net::SocketHandle socket)
{
    std::lock_guard lock(FSocketLock);
    if (FGetHostData != 0) {
        CheckSocketCall(platform().cancelAsyncRequest(FGetHostData) != 0, "WSACancelASyncRequest");
        FGetHostData = 0;
    }
    if (socket == INVALID_SOCKET || socket != FSocket)
        return;
    DropQueue(); // bytes that never reached the platform go with the connection
    if (FConnected)
        Tap([](net::TrafficTap *t) { t->closed(); });
    Event(snDisconnect);
    CheckSocketCall(platform().closesocket(FSocket) == SOCKET_ERROR, "closesocket");
    FSocket = INVALID_SOCKET;
    FAddr = SockAddrIn{};
    FConnected = false;
}

int TCustomWinSocket::SendBytes(const char *buffer, int count)
{
    std::lock_guard lock(FSocketLock);
    if (!FConnected)
        return 0;
    if (count > 0 && FQueuedBytes + count > kMaxQueued)
        raise(socketmsg::sendQueueFull(count, FQueuedBytes, kMaxQueued));
    if (FQueuedBytes > 0) {
        // Earlier bytes are still waiting for room: these go after them (an empty send, as a
        // send of nothing, takes nothing).
        if (count <= 0)
            return 0;
        Enqueue(buffer, count);
        return SOCKET_ERROR;
    }
    const int n = platform().send(FSocket, buffer, count);
    if (n == SOCKET_ERROR) {
        const int code = platform().lastError();
        if (code != wsa::EWOULDBLOCK_) {
            SendFailed(code);
            return n;
        }
        Enqueue(buffer, count); // FD_WRITE follows when there is room again
        return n;
    }
    if (n > 0)
        Tap([&](net::TrafficTap *t) { t->sent(QByteArrayView(buffer, n)); });
    if (n < count) {
        Enqueue(buffer + n, count - n);
        // A short send arms nothing: go on until the platform says "would block", which it
        // answers with FD_WRITE once there is room.
        FlushQueue();
    }
    return n;
}

void TCustomWinSocket::AddTap(net::TrafficTap *tap)
{
    if (tap && std::find(FTaps.begin(), FTaps.end(), tap) == FTaps.end())
        FTaps.push_back(tap);
}

void TCustomWinSocket::RemoveTap(net::TrafficTap *tap)
{
    FTaps.erase(std::remove(FTaps.begin(), FTaps.end(), tap), FTaps.end());
}

void TCustomWinSocket::TapConnected()
{
    if (FTaps.empty())
        return;
    // What the system says of the connection; an address it cannot tell stays 0.0.0.0:0.
    SockAddrIn local, remote;
    if (platform().getsockname(FSocket, &local) != 0)
        local = SockAddrIn{};
    if (platform().getpeername(FSocket, &remote) != 0)
        remote = FAddr;
    Tap([&](net::TrafficTap *t) { t->connected(local, remote, FTapHost); });
}

void TCustomWinSocket::Enqueue(const char *buffer, qint64 count)
{
    if (count <= 0)
        return;
    FOutQueue.emplace_back(buffer, qsizetype(count));
    FQueuedBytes += count;
}

void TCustomWinSocket::DropQueue() noexcept
{
    FOutQueue.clear();
    FOutHead = 0;
    FQueuedBytes = 0;
}

void TCustomWinSocket::FlushQueue()
{
    std::lock_guard lock(FSocketLock);
    while (FConnected && !FOutQueue.empty()) {
        const QByteArray &chunk = FOutQueue.front();
        const qsizetype left = chunk.size() - FOutHead;
        const int n = platform().send(FSocket, chunk.constData() + FOutHead, int(qMin<qsizetype>(left, 1 << 30)));
        if (n == SOCKET_ERROR) {
            const int code = platform().lastError();
            if (code != wsa::EWOULDBLOCK_)
                SendFailed(code);
            return;
        }
        Tap([&](net::TrafficTap *t) { t->sent(QByteArrayView(chunk.constData() + FOutHead, n)); });
        FQueuedBytes -= n;
        FOutHead += n;
        if (FOutHead == chunk.size()) {
            FOutQueue.pop_front();
            FOutHead = 0;
        }
    }
}

void TCustomWinSocket::SendFailed(int code)
{
    Tap([&](net::TrafficTap *t) { t->failed(code); });
    Error(eeSend, code);
    CloseConnection(FSocket);
    if (code != 0)
        raise(socketmsg::windowsSocketError(code, "send"));
}

int TCustomWinSocket::SendString(const QByteArray &text)
{
    return SendBytes(text.constData(), int(text.size()));
}

int TCustomWinSocket::ReceiveBytes(char *buffer, int count)
{
    std::lock_guard lock(FSocketLock);
    unsigned long waiting = 0;
    if (count == -1 && FConnected) {
        if (platform().ioctlFionread(FSocket, &waiting) != 0)
            waiting = 0;
        return int(waiting);
    }
    if (!FConnected)
        return 0;
    if (platform().ioctlFionread(FSocket, &waiting) == 0 && waiting > 0 && waiting < unsigned(count))
        count = int(waiting);
    const int n = platform().recv(FSocket, buffer, count);
    if (n > 0)
        Tap([&](net::TrafficTap *t) { t->received(QByteArrayView(buffer, n)); });
    if (n == SOCKET_ERROR) {
        int code = platform().lastError();
        if (code != wsa::EWOULDBLOCK_) {
            Tap([&](net::TrafficTap *t) { t->failed(code); });
            Error(eeReceive, code);
            CloseConnection(FSocket);
            if (code != 0)
                raise(socketmsg::windowsSocketError(code, "recv"));
        }
    }
    return n;
}

QByteArray TCustomWinSocket::ReceiveString()
{
    const int waiting = ReceiveBytes(nullptr, -1);
    QByteArray text(qMax(waiting, 0), Qt::Uninitialized);
    const int got = ReceiveBytes(text.data(), int(text.size()));
    text.truncate(qMax(got, 0));
    return text;
}

void TClientWinSocket::NotifyConnect(net::SocketHandle)
{
    FConnected = true;
    TapConnected();
    Event(snConnect);
}

void TClientWinSocket::SetClientType(TClientType value)
{
    if (value == FClientType)
        return;
    if (FConnected)
        raise(QString::fromLatin1(socketmsg::CantChangeWhileActive));
    FClientType = value;
    SetNotifyMask(value == ctBlocking ? 0u : unsigned(FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE));
}

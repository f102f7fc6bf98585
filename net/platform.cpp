#include "net/platform.h"

#include "core/codepage.h"
#include "net/sys.h"
#include "net/wsaerrors.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QtEndian>

#include <cstring>
#include <map>
#include <memory>

namespace net {

QEvent::Type SocketNotifyEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

SocketNotifyEvent::SocketNotifyEvent(SocketHandle s, unsigned ev, int err)
    : QEvent(eventType()), socket(s), event(ev), error(err)
{
}

QEvent::Type LookupCompleteEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

LookupCompleteEvent::LookupCompleteEvent(RequestHandle r, int err, QByteArray d)
    : QEvent(eventType()), request(r), error(err), data(std::move(d))
{
}

namespace {

struct Entry {
    sys::Descriptor fd = sys::kNoDescriptor;
    QPointer<QObject> target;
    unsigned mask = 0;
};

struct Lookup {
    QPointer<QObject> target;
    bool posted = false;
};

} // namespace

struct Platform::Private {
    explicit Private(Platform *owner) : q(owner), selector([this](sys::Descriptor fd, unsigned event, int error) {
        onNotify(fd, event, error);
    })
    {
    }
    Platform *q;
    SocketHandle nextHandle = 1;
    RequestHandle nextRequest = 1;
    std::map<SocketHandle, std::unique_ptr<Entry>> sockets;
    std::map<sys::Descriptor, SocketHandle> byDescriptor;
    std::map<RequestHandle, Lookup> lookups;
    std::map<Call, int> faults;
    QObject context; // receives the results of host lookups
    sys::Selector selector;

    bool fault(Call call)
    {
        auto it = faults.find(call);
        if (it == faults.end())
            return false;
        q->m_lastError = it->second;
        faults.erase(it);
        return true;
    }

    Entry *entry(SocketHandle s)
    {
        auto it = sockets.find(s);
        if (it == sockets.end()) {
            q->m_lastError = wsa::ENOTSOCK_;
            return nullptr;
        }
        return it->second.get();
    }

    // A notification of the system's: posted to the socket's target when it selected the event.
    void onNotify(sys::Descriptor fd, unsigned event, int error)
    {
        auto it = byDescriptor.find(fd);
        if (it == byDescriptor.end())
            return;
        const Entry &e = *sockets.at(it->second);
        if (e.target && (e.mask & event))
            QCoreApplication::postEvent(e.target, new SocketNotifyEvent(it->second, event, error));
    }

    void onHostResult(RequestHandle request, const QHostInfo &info)
    {
        auto it = lookups.find(request);
        if (it == lookups.end() || it->second.posted)
            return; // cancelled
        int error = 0;
        QByteArray data;
        if (info.error() == QHostInfo::HostNotFound) {
            error = wsa::HOST_NOT_FOUND_;
        } else if (info.error() != QHostInfo::NoError) {
            error = wsa::TRY_AGAIN_;
        } else {
            error = wsa::NO_DATA_;
            for (const QHostAddress &a : info.addresses()) {
                bool ok = false;
                const quint32 v4 = a.toIPv4Address(&ok);
                if (ok && a.protocol() == QAbstractSocket::IPv4Protocol) {
                    const std::uint32_t n = qToBigEndian(v4);
                    data = QByteArray(reinterpret_cast<const char *>(&n), 4);
                    error = 0;
                    break;
                }
            }
        }
        deliverLookup(it, error, data);
    }

    void deliverLookup(std::map<RequestHandle, Lookup>::iterator it, int error, const QByteArray &data)
    {
        if (!it->second.target) {
            lookups.erase(it);
            return;
        }
        it->second.posted = true;
        QCoreApplication::postEvent(it->second.target, new LookupCompleteEvent(it->first, error, data));
    }
};

Platform &Platform::instance()
{
    // Never destroyed: notifications may still be handled while statics are torn down.
    static Platform *platform = new Platform;
    return *platform;
}

Platform::Platform() : d(new Private(this))
{
}

Platform::~Platform()
{
    delete d;
}

int Platform::startup()
{
    if (d->fault(Call::Startup))
        return m_lastError;
    return sys::startup();
}

int Platform::cleanup()
{
    if (d->fault(Call::Cleanup))
        return SOCKET_ERROR;
    if (const int error = sys::cleanup()) {
        m_lastError = error;
        return SOCKET_ERROR;
    }
    return 0;
}

SocketHandle Platform::socket()
{
    if (d->fault(Call::Socket))
        return INVALID_SOCKET;
    const sys::Descriptor fd = sys::openStream(&m_lastError);
    if (fd == sys::kNoDescriptor)
        return INVALID_SOCKET;
    const SocketHandle h = d->nextHandle++;
    auto e = std::make_unique<Entry>();
    e->fd = fd;
    d->sockets.emplace(h, std::move(e));
    d->byDescriptor[fd] = h;
    return h;
}

int Platform::connect(SocketHandle s, const SockAddrIn &addr)
{
    if (d->fault(Call::Connect))
        return SOCKET_ERROR;
    Entry *e = d->entry(s);
    if (!e)
        return SOCKET_ERROR;
    int err = 0;
    const sys::ConnectResult r = sys::connect(e->fd, addr.addr, addr.port, &err);

    if (e->mask == 0) { // blocking mode: the call's own outcome
        if (r == sys::ConnectResult::Connected)
            return 0;
        m_lastError = err;
        return SOCKET_ERROR;
    }

    // In the select model a connect always answers "would block"; its outcome comes as FD_CONNECT.
    if (r == sys::ConnectResult::Connected || r == sys::ConnectResult::Outcome) {
        d->selector.connectDone(e->fd, r == sys::ConnectResult::Connected ? 0 : err);
        m_lastError = wsa::EWOULDBLOCK_;
        return SOCKET_ERROR;
    }
    if (r == sys::ConnectResult::InProgress) {
        d->selector.connectStarted(e->fd);
        m_lastError = wsa::EWOULDBLOCK_;
        return SOCKET_ERROR;
    }
    m_lastError = err;
    return SOCKET_ERROR;
}

int Platform::send(SocketHandle s, const char *buf, int len)
{
    if (d->fault(Call::Send))
        return SOCKET_ERROR;
    Entry *e = d->entry(s);
    if (!e)
        return SOCKET_ERROR;
    const qint64 r = sys::send(e->fd, buf, len, &m_lastError);
    if (r < 0) {
        if (m_lastError == wsa::EWOULDBLOCK_ && e->mask)
            d->selector.sendBlocked(e->fd);
        return SOCKET_ERROR;
    }
    return int(r);
}

int Platform::recv(SocketHandle s, char *buf, int len)
{
    Entry *e = d->entry(s);
    if (!e)
        return SOCKET_ERROR;
    int result;
    if (d->fault(Call::Recv)) {
        result = SOCKET_ERROR;
    } else {
        const qint64 r = sys::recv(e->fd, buf, len, &m_lastError);
        result = r < 0 ? SOCKET_ERROR : int(r);
    }
    if (e->mask)
        d->selector.received(e->fd);
    return result;
}

int Platform::closesocket(SocketHandle s)
{
    if (d->fault(Call::CloseSocket))
        return SOCKET_ERROR;
    auto it = d->sockets.find(s);
    if (it == d->sockets.end()) {
        m_lastError = wsa::ENOTSOCK_;
        return SOCKET_ERROR;
    }
    Entry &e = *it->second;
    d->selector.forget(e.fd);
    d->byDescriptor.erase(e.fd);
    sys::close(e.fd);
    d->sockets.erase(it);
    return 0;
}

int Platform::ioctlFionread(SocketHandle s, unsigned long *waiting)
{
    Entry *e = d->entry(s);
    if (!e || !sys::bytesWaiting(e->fd, waiting, &m_lastError))
        return SOCKET_ERROR;
    return 0;
}

int Platform::getsockname(SocketHandle s, SockAddrIn *addr)
{
    Entry *e = d->entry(s);
    if (!e || !sys::address(e->fd, sys::End::Local, &addr->addr, &addr->port, &m_lastError))
        return SOCKET_ERROR;
    return 0;
}

int Platform::getpeername(SocketHandle s, SockAddrIn *addr)
{
    Entry *e = d->entry(s);
    if (!e || !sys::address(e->fd, sys::End::Peer, &addr->addr, &addr->port, &m_lastError))
        return SOCKET_ERROR;
    return 0;
}

int Platform::ioctlFionbio(SocketHandle s, bool nonBlocking)
{
    Entry *e = d->entry(s);
    if (!e)
        return SOCKET_ERROR;
    sys::setNonBlocking(e->fd, nonBlocking);
    return 0;
}

int Platform::asyncSelect(SocketHandle s, QObject *target, unsigned mask)
{
    Entry *e = d->entry(s);
    if (!e)
        return SOCKET_ERROR;
    e->target = target;
    e->mask = target ? mask : 0;
    d->selector.select(e->fd, e->mask);
    return 0;
}

RequestHandle Platform::asyncGetHostByName(QObject *target, const QByteArray &host)
{
    if (d->fault(Call::AsyncGetHostByName))
        return 0;
    const RequestHandle request = d->nextRequest++;
    d->lookups[request] = Lookup{target, false};
    QHostInfo::lookupHost(cp1254::toUnicode(host), &d->context,
                          [this, request](const QHostInfo &info) { d->onHostResult(request, info); });
    return request;
}

RequestHandle Platform::asyncGetServByName(QObject *target, const QByteArray &service, const QByteArray &protocol)
{
    if (d->fault(Call::AsyncGetServByName))
        return 0;
    const RequestHandle request = d->nextRequest++;
    auto it = d->lookups.emplace(request, Lookup{target, false}).first;
    // A local file lookup: answered at once, delivered like any other lookup result.
    if (const std::uint16_t port = sys::servicePort(service, protocol)) {
        d->deliverLookup(it, 0, QByteArray(reinterpret_cast<const char *>(&port), 2));
    } else {
        d->deliverLookup(it, wsa::NO_DATA_, {});
    }
    return request;
}

int Platform::cancelAsyncRequest(RequestHandle request)
{
    if (d->fault(Call::CancelAsyncRequest))
        return SOCKET_ERROR;
    auto it = d->lookups.find(request);
    if (it == d->lookups.end()) {
        m_lastError = wsa::EINVAL_;
        return SOCKET_ERROR;
    }
    // The lookup itself is left to finish and its result is dropped (aborting a lookup that
    // has a receiver functor leaks the functor); a result already posted but not yet handled
    // is dropped on delivery.
    d->lookups.erase(it);
    return 0;
}

std::uint32_t Platform::gethostbyname(const QByteArray &host)
{
    const QHostInfo info = QHostInfo::fromName(cp1254::toUnicode(host));
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return qToBigEndian(a.toIPv4Address());
    }
    return 0;
}

std::uint16_t Platform::getservbyname(const QByteArray &service, const QByteArray &protocol)
{
    return sys::servicePort(service, protocol);
}

std::uint32_t Platform::inet_addr(const QByteArray &dotted)
{
    return sys::inetAddr(dotted);
}

void Platform::failNext(Call call, int code)
{
    d->faults[call] = code;
}

void Platform::clearFaults()
{
    d->faults.clear();
}

void Platform::postNotification(SocketHandle s, unsigned event, int error)
{
    auto it = d->sockets.find(s);
    if (it != d->sockets.end() && it->second->target)
        QCoreApplication::postEvent(it->second->target, new SocketNotifyEvent(s, event, error));
}

int Platform::openSocketCount() const
{
    return int(d->sockets.size());
}

bool Platform::acceptNotification(const SocketNotifyEvent &e) const
{
    return d->sockets.count(e.socket) != 0;
}

bool Platform::acceptLookup(const LookupCompleteEvent &e)
{
    auto it = d->lookups.find(e.request);
    if (it == d->lookups.end() || !it->second.posted)
        return false;
    d->lookups.erase(it);
    return true;
}

} // namespace net

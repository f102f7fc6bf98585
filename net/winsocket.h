#pragma once
// The connection object of the client socket: it owns the platform socket, the notification
// target, the lookup state and a re-entrant lock, and turns platform notifications and lookup
// results into events for its component.
//
// States (non-blocking):
//
//   Closed --open--> Resolving address --lookup ok--> [Resolving service] --> Connecting
//     ^                   |  lookup error: OnError(eeLookup), OnDisconnect      |      |
//     |<------------------+                                 FD_CONNECT ok       |      | FD_CONNECT error:
//     |                                                 (Active true, OnConnect)|      | OnError(eeConnect)
//     |<-- Active false / FD_CLOSE (OnDisconnect) -- Connected <----------------+      v
//     |                                                                              Failed
//     +------------------------------ open again (the failed socket is released) ----+
//
// An open while an earlier attempt is still resolving or connecting replaces it: the earlier
// lookup is cancelled and its socket released without any event. A socket whose connect failed
// is released the same way at the next open or at destruction.

#include "net/platform.h"
#include "net/traffictap.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

enum TClientType { ctNonBlocking = 0, ctBlocking = 1 };
enum TErrorEvent { eeGeneral = 0, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept, eeLookup };
enum TLookupPhase { lpNone = 0, lpHostName, lpService };
enum TSocketNotice { snLookup = 0, snConnecting, snConnect, snDisconnect, snListen, snAccept, snWrite, snRead };

class TCustomWinSocket;

using TSocketEventEvent = std::function<void(TCustomWinSocket *socket, TSocketNotice notice)>;
using TSocketErrorEventCallback = std::function<void(TCustomWinSocket *socket, TErrorEvent kind, int &code)>;

class TCustomWinSocket {
public:
    explicit TCustomWinSocket(net::SocketHandle socket);
    virtual ~TCustomWinSocket();
    TCustomWinSocket(const TCustomWinSocket &) = delete;
    TCustomWinSocket &operator=(const TCustomWinSocket &) = delete;

    virtual void NotifyAccept(net::SocketHandle socket);
    virtual void NotifyConnect(net::SocketHandle socket);
    virtual void CloseConnection(net::SocketHandle socket);
    virtual void NotifyRead(net::SocketHandle socket);
    virtual void NotifyWrite(net::SocketHandle socket);

    // Data transfer. Each receive reads at most what is waiting. A send hands the bytes to the
    // platform at once when nothing is waiting before them; what the platform does not take is
    // kept, in order, in the outgoing queue and handed over at the next FD_WRITE, before any later
    // send's bytes. The result is what the platform took of this text now (-1 when it took
    // nothing because there was no room, or because earlier bytes are still waiting).
    // A send that would make the queue hold more than kMaxQueued bytes is refused whole with
    // ESocketError; closing the connection drops the queue.
    int SendBytes(const char *buffer, int count);
    int SendString(const QByteArray &text);
    int ReceiveBytes(char *buffer, int count);
    QByteArray ReceiveString();

    void Open(const QByteArray &host, const QByteArray &address, const QByteArray &service,
              quint16 port, bool blocking);

    net::SocketHandle SocketHandle() const { return FSocket; }
    bool Connected() const { return FConnected; }
    TLookupPhase LookupPhase() const { return FLookupState; }
    const net::SockAddrIn &AddressRecord() const { return FAddr; }
    unsigned NotifyMask() const { return FAsyncStyles; }
    void SetNotifyMask(unsigned mask);
    // Bytes accepted by a send and not yet handed to the platform.
    qint64 QueuedBytes() const { return FQueuedBytes; }
    static constexpr qint64 kMaxQueued = 64 * 1024 * 1024;

    // Records told what goes over the connection; not owned, and they must outlive it or be
    // removed first.
    void AddTap(net::TrafficTap *tap);
    void RemoveTap(net::TrafficTap *tap);

    TSocketEventEvent OnSocketEvent;
    TSocketErrorEventCallback OnErrorEvent;

    void Lock() { FSocketLock.lock(); }
    void Unlock() { FSocketLock.unlock(); }

    // Message handling of the notification target.
    void HandleSocketNotification(const net::SocketNotifyEvent &msg);
    void HandleLookupComplete(const net::LookupCompleteEvent &msg);

protected:
    void Event(TSocketNotice notice);
    void Error(TErrorEvent kind, int &code);
    void AdvanceLookup(const QByteArray &host, const QByteArray &address, const QByteArray &service,
                       quint16 port, int queueSize, bool client);
    void StartConnect();
    void ApplyNotifyMask();
    void CheckSocketCall(bool failed, const char *api);
    QObject *NotifyWindow();
    // Releases an earlier attempt that is still resolving, connecting or failed, raising nothing.
    void ReleasePendingAttempt() noexcept;
    // Hands queued bytes to the platform until it has no room or the queue is empty.
    void FlushQueue();
    void Enqueue(const char *buffer, qint64 count);
    void DropQueue() noexcept;
    // A send failure other than "would block": reported, the connection closed, then raised.
    void SendFailed(int code);
    // The connect completed: the taps learn the connection's addresses.
    void TapConnected();
    template <typename Fn>
    void Tap(Fn &&fn)
    {
        for (net::TrafficTap *tap : FTaps)
            fn(tap);
    }

    net::SocketHandle FSocket;
    bool FConnected;
    std::unique_ptr<QObject> FHandle; // the notification target, created on first need
    net::SockAddrIn FAddr;
    unsigned FAsyncStyles = net::FD_READ | net::FD_WRITE | net::FD_CONNECT | net::FD_CLOSE;
    TLookupPhase FLookupState = lpNone;
    net::RequestHandle FGetHostData = 0;
    std::recursive_mutex FSocketLock;
    std::unique_ptr<char[]> FDataBuf;
    QByteArray FService;
    quint16 FPort = 0;
    bool FClient = false;
    int FQueueSize = 0;
    std::deque<QByteArray> FOutQueue; // chunks in order; the first one is sent from FOutHead
    qsizetype FOutHead = 0;
    qint64 FQueuedBytes = 0;
    std::vector<net::TrafficTap *> FTaps;
    QByteArray FTapHost; // the host or address of the last open, as given
};

class TClientWinSocket : public TCustomWinSocket {
public:
    TClientWinSocket() : TCustomWinSocket(net::INVALID_SOCKET) {}
    void NotifyConnect(net::SocketHandle socket) override;

    TClientType ClientType() const { return FClientType; }
    void SetClientType(TClientType value);

private:
    TClientType FClientType = ctNonBlocking;
};

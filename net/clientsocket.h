#pragma once
// The client socket component: the settings of one TCP client connection (host, address,
// service, port, client type), `Active` to open and close it, and the events through which the
// connection reports lookup, connect, data, disconnect and errors. `Active` changes only when
// the connection does: it becomes true at the connect event and false at the disconnect event,
// before the handler of that event runs.
//
// Errors are reported twice over: first to OnError with the code by reference, then, unless
// the handler set the code to 0, as ESocketError.

#include "net/socketerror.h"
#include "net/winsocket.h"

#include <QByteArray>

#include <functional>
#include <memory>

class TCustomSocket;

using TSocketNotifyEvent = std::function<void(TCustomSocket *Sender, TCustomWinSocket *Socket)>;
using TSocketErrorEvent =
    std::function<void(TCustomSocket *Sender, TCustomWinSocket *Socket, TErrorEvent ErrorEvent, int &ErrorCode)>;

class TAbstractSocket {
public:
    virtual ~TAbstractSocket() = default;

    bool Active() const { return FActive; }
    void SetActive(bool value);

    const QByteArray &Host() const { return FHost; }
    void SetHost(const QByteArray &value);
    const QByteArray &Address() const { return FAddress; }
    void SetAddress(const QByteArray &value);
    const QByteArray &Service() const { return FService; }
    void SetService(const QByteArray &value);
    int Port() const { return FPort; }
    void SetPort(int value);

    // Reading a stored form: values are taken as they are; Loaded() then opens when the stored
    // form had `Active` true.
    void BeginLoading() { FLoading = true; }
    virtual void Loaded();

protected:
    virtual void FireEvent(TCustomWinSocket *socket, TSocketNotice notice) = 0;
    virtual void FireError(TCustomWinSocket *socket, TErrorEvent kind, int &code) = 0;
    virtual void ApplyActive(bool value) = 0;
    void SetText(QByteArray &field, const QByteArray &value);

    bool FActive = false;
    int FPort = 0;
    QByteArray FAddress;
    QByteArray FHost;
    QByteArray FService;
    bool FDesigning = false;
    bool FLoading = false;
};

class TCustomSocket : public TAbstractSocket {
public:
    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnListen;
    TSocketNotifyEvent OnAccept;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketErrorEvent OnError;

protected:
    void FireEvent(TCustomWinSocket *socket, TSocketNotice notice) override;
    void FireError(TCustomWinSocket *socket, TErrorEvent kind, int &code) override;
};

class TClientSocket : public TCustomSocket {
public:
    TClientSocket();
    ~TClientSocket() override;
    TClientSocket(const TClientSocket &) = delete;
    TClientSocket &operator=(const TClientSocket &) = delete;

    TClientWinSocket *Socket() const { return FClientSocket.get(); }
    TClientType ClientType() const { return FClientSocket->ClientType(); }
    void SetClientType(TClientType value) { FClientSocket->SetClientType(value); }

protected:
    void ApplyActive(bool value) override;

private:
    std::unique_ptr<TClientWinSocket> FClientSocket;
};

#include "net/clientsocket.h"

namespace {
// Texts are compared with only the ASCII letters folded, so the stored spelling stays.
bool sameText(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}
} // namespace

void TAbstractSocket::SetActive(bool value)
{
    if (value == FActive)
        return;
    if (FDesigning || FLoading)
        FActive = value;
    if (!FLoading)
        ApplyActive(value);
}

void TAbstractSocket::Loaded()
{
    FLoading = false;
    ApplyActive(FActive);
}

void TAbstractSocket::SetText(QByteArray &field, const QByteArray &value)
{
    if (sameText(field, value))
        return;
    if (FActive && !FLoading)
        throw ESocketError(socketmsg::CantChangeWhileActive);
    field = value;
}

void TAbstractSocket::SetHost(const QByteArray &value)
{
    SetText(FHost, value);
}

void TAbstractSocket::SetAddress(const QByteArray &value)
{
    SetText(FAddress, value);
}

void TAbstractSocket::SetService(const QByteArray &value)
{
    SetText(FService, value);
}

void TAbstractSocket::SetPort(int value)
{
    if (value == FPort)
        return;
    if (FActive && !FLoading)
        throw ESocketError(socketmsg::CantChangeWhileActive);
    FPort = value;
}

void TCustomSocket::FireEvent(TCustomWinSocket *socket, TSocketNotice notice)
{
    const auto call = [&](const TSocketNotifyEvent &handler) {
        if (handler)
            handler(this, socket);
    };
    switch (notice) {
    case snLookup: call(OnLookup); break;
    case snConnecting: call(OnConnecting); break;
    case snConnect: FActive = true; call(OnConnect); break;
    case snDisconnect: FActive = false; call(OnDisconnect); break;
    case snListen: FActive = true; call(OnListen); break;
    case snAccept: call(OnAccept); break;
    case snWrite: call(OnWrite); break;
    case snRead: call(OnRead); break;
    }
}

void TCustomSocket::FireError(TCustomWinSocket *socket, TErrorEvent kind, int &code)
{
    if (OnError)
        OnError(this, socket, kind, code);
}

TClientSocket::TClientSocket() : FClientSocket(std::make_unique<TClientWinSocket>())
{
    FClientSocket->OnSocketEvent = [this](TCustomWinSocket *s, TSocketNotice n) { FireEvent(s, n); };
    FClientSocket->OnErrorEvent = [this](TCustomWinSocket *s, TErrorEvent k, int &c) { FireError(s, k, c); };
}

TClientSocket::~TClientSocket() = default;

void TClientSocket::ApplyActive(bool value)
{
    if (value == FClientSocket->Connected() || FDesigning)
        return;
    if (FClientSocket->Connected()) {
        FClientSocket->CloseConnection(FClientSocket->SocketHandle());
        return;
    }
    FClientSocket->Open(FHost, FAddress, FService, static_cast<quint16>(FPort & 0xFFFF),
                        FClientSocket->ClientType() == ctBlocking);
}

#include "net/socketerror.h"

#include "core/systemtext.h"
#include "net/wsaerrors.h"

namespace socketmsg {

QString windowsSocketError(int code, const char *api)
{
    return QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
        .arg(trimmedSystemText(wsa::errorText(code)))
        .arg(code)
        .arg(QString::fromLatin1(api));
}

QString asyncSocketError(int code)
{
    return QStringLiteral("Asynchronous socket error %1").arg(code);
}

QString sendQueueFull(qint64 count, qint64 waiting, qint64 limit)
{
    return QStringLiteral("Can't send %1 bytes: %2 bytes are still waiting to be sent, and at most %3 may wait")
        .arg(count)
        .arg(waiting)
        .arg(limit);
}

} // namespace socketmsg

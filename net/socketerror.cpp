#include "net/socketerror.h"

#include "net/wsaerrors.h"

namespace socketmsg {

QString windowsSocketError(int code, const char *api)
{
    QString text = wsa::errorText(code);
    while (!text.isEmpty() && (text.back().unicode() <= 32 || text.back() == u'.'))
        text.chop(1);
    return QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
        .arg(text)
        .arg(code)
        .arg(QString::fromLatin1(api));
}

QString asyncSocketError(int code)
{
    return QStringLiteral("Asynchronous socket error %1").arg(code);
}

} // namespace socketmsg

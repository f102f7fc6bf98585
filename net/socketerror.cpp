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

} // namespace socketmsg

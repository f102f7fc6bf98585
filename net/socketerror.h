#pragma once
// The socket component's exception and its messages.

#include "core/errors.h"

#include <QString>

class ESocketError : public Exception {
public:
    using Exception::Exception;
};

namespace socketmsg {
inline const char *const CantChangeWhileActive = "Can't change value while socket is active";
inline const char *const NoAddress = "No address specified";
inline const char *const CantCreateSocket = "Can't create new socket";
inline const char *const SocketAlreadyOpen = "Socket already open";

// "Windows socket error: %s (%d), on API '%s'", with our text for the code, trimmed of trailing
// blanks, control characters and full stops.
QString windowsSocketError(int code, const char *api);
// "Asynchronous socket error %d".
QString asyncSocketError(int code);
// A send refused whole because the bytes still waiting to be sent and its own would pass the
// limit of the outgoing queue.
QString sendQueueFull(qint64 count, qint64 waiting, qint64 limit);
} // namespace socketmsg

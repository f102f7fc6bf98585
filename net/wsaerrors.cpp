#include "net/wsaerrors.h"

namespace wsa {

QString errorText(int code)
{
    switch (code) {
    case EINTR_: return QStringLiteral("A blocking operation was interrupted");
    case EBADF_: return QStringLiteral("The file handle supplied is not valid");
    case EACCES_: return QStringLiteral("Permission denied");
    case EFAULT_: return QStringLiteral("Bad address");
    case EINVAL_: return QStringLiteral("An invalid argument was supplied");
    case EMFILE_: return QStringLiteral("Too many open sockets");
    case EWOULDBLOCK_: return QStringLiteral("The operation would block");
    case EINPROGRESS_: return QStringLiteral("A blocking operation is in progress");
    case EALREADY_: return QStringLiteral("An operation is already in progress");
    case ENOTSOCK_: return QStringLiteral("The handle is not a socket");
    case EMSGSIZE_: return QStringLiteral("The message is too long");
    case EAFNOSUPPORT_: return QStringLiteral("Address family not supported");
    case EADDRINUSE_: return QStringLiteral("The address is already in use");
    case EADDRNOTAVAIL_: return QStringLiteral("The requested address is not valid");
    case ENETDOWN_: return QStringLiteral("The network is down");
    case ENETUNREACH_: return QStringLiteral("The network cannot be reached");
    case ENETRESET_: return QStringLiteral("The connection was dropped by a network reset");
    case ECONNABORTED_: return QStringLiteral("The connection was aborted on this side");
    case ECONNRESET_: return QStringLiteral("The connection was reset by the peer");
    case ENOBUFS_: return QStringLiteral("No buffer space is available");
    case EISCONN_: return QStringLiteral("The socket is already connected");
    case ENOTCONN_: return QStringLiteral("The socket is not connected");
    case ESHUTDOWN_: return QStringLiteral("The socket has been shut down");
    case ETIMEDOUT_: return QStringLiteral("The connection attempt timed out");
    case ECONNREFUSED_: return QStringLiteral("The connection was refused");
    case EHOSTDOWN_: return QStringLiteral("The host is down");
    case EHOSTUNREACH_: return QStringLiteral("The host cannot be reached");
    case SYSNOTREADY_: return QStringLiteral("The network subsystem is not ready");
    case VERNOTSUPPORTED_: return QStringLiteral("The requested sockets version is not supported");
    case NOTINITIALISED_: return QStringLiteral("The sockets library has not been started");
    case HOST_NOT_FOUND_: return QStringLiteral("No such host is known");
    case TRY_AGAIN_: return QStringLiteral("The host name could not be resolved now; try again later");
    case NO_RECOVERY_: return QStringLiteral("A non-recoverable error occurred during a lookup");
    case NO_DATA_: return QStringLiteral("The name is valid but has no data of the requested type");
    default: return {};
    }
}

} // namespace wsa

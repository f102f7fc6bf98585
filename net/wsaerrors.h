#pragma once
// Error codes in the Windows Sockets numbering, which the status lines show on every platform,
// and our own short English text for each.

#include <QString>

namespace wsa {

inline constexpr int EINTR_ = 10004;
inline constexpr int EBADF_ = 10009;
inline constexpr int EACCES_ = 10013;
inline constexpr int EFAULT_ = 10014;
inline constexpr int EINVAL_ = 10022;
inline constexpr int EMFILE_ = 10024;
inline constexpr int EWOULDBLOCK_ = 10035;
inline constexpr int EINPROGRESS_ = 10036;
inline constexpr int EALREADY_ = 10037;
inline constexpr int ENOTSOCK_ = 10038;
inline constexpr int EMSGSIZE_ = 10040;
inline constexpr int EAFNOSUPPORT_ = 10047;
inline constexpr int EADDRINUSE_ = 10048;
inline constexpr int EADDRNOTAVAIL_ = 10049;
inline constexpr int ENETDOWN_ = 10050;
inline constexpr int ENETUNREACH_ = 10051;
inline constexpr int ENETRESET_ = 10052;
inline constexpr int ECONNABORTED_ = 10053;
inline constexpr int ECONNRESET_ = 10054;
inline constexpr int ENOBUFS_ = 10055;
inline constexpr int EISCONN_ = 10056;
inline constexpr int ENOTCONN_ = 10057;
inline constexpr int ESHUTDOWN_ = 10058;
inline constexpr int ETIMEDOUT_ = 10060;
inline constexpr int ECONNREFUSED_ = 10061;
inline constexpr int EHOSTDOWN_ = 10064;
inline constexpr int EHOSTUNREACH_ = 10065;
inline constexpr int SYSNOTREADY_ = 10091;
inline constexpr int VERNOTSUPPORTED_ = 10092;
inline constexpr int NOTINITIALISED_ = 10093;
inline constexpr int HOST_NOT_FOUND_ = 11001;
inline constexpr int TRY_AGAIN_ = 11002;
inline constexpr int NO_RECOVERY_ = 11003;
inline constexpr int NO_DATA_ = 11004;

// The component's own code for an open with neither host nor address.
inline constexpr int NoAddress = 1110;

// The text for a code; empty when we have none.
QString errorText(int code);

} // namespace wsa

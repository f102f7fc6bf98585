#include "tests/support/resetsocket.h"

#include <winsock2.h>

void setResetOnClose(qintptr socket)
{
    linger l{1, 0};
    ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l);
}

#include "tests/support/resetsocket.h"

#include <sys/socket.h>

void setResetOnClose(qintptr socket)
{
    linger l{1, 0};
    ::setsockopt(int(socket), SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

bool resetsAreReported()
{
    return true;
}

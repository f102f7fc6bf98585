#include "tests/support/resetsocket.h"

#include <winsock2.h>
#include <windows.h>

void setResetOnClose(qintptr socket)
{
    linger l{1, 0};
    ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l);
}

bool resetsAreReported()
{
    // Wine's ntdll has a function of its own that Windows' has not.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && ::GetProcAddress(ntdll, "wine_get_version"));
}

#include "core/guard.h"

#include <stdexcept>
#include <utility>

namespace guard {
namespace {
Handler &installed()
{
    static Handler handler;
    return handler;
}
} // namespace

Handler setHandler(Handler handler)
{
    return std::exchange(installed(), std::move(handler));
}

void report(const std::exception &e)
{
    // A copy, so that a handler that replaces itself while running stays alive.
    Handler h = installed();
    if (!h)
        return;
    try {
        h(e);
    } catch (...) {
        // The exception box itself failed; nothing more can be shown.
    }
}

void reportUnknown() noexcept
{
    report(std::runtime_error("Unknown exception"));
}

} // namespace guard

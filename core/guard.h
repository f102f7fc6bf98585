#pragma once
// The one guard through which the event loop enters our code. An exception that escapes a
// handler ends that handler and is handed to the application's exception handler (the
// exception box); the event loop then goes on.

#include <exception>
#include <functional>

namespace guard {

using Handler = std::function<void(const std::exception &)>;

// Installs the application's exception handler and returns the one it replaces. Without one,
// an escaping exception is dropped.
Handler setHandler(Handler handler);

// Hands an exception to the installed handler (or drops it).
void report(const std::exception &e);
void reportUnknown() noexcept;

// Runs fn; an escaping std::exception goes to report(). Anything else is reported with a
// generic message rather than allowed to unwind through the event loop.
template <typename Fn>
void run(Fn &&fn) noexcept
{
    try {
        fn();
    } catch (const std::exception &e) {
        report(e);
    } catch (...) {
        reportUnknown();
    }
}

} // namespace guard

#pragma once
// Waiting in tests without sleeping.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

// Handles events until pred holds (true) or the time is up (false). Unlike QTest::qWaitFor it
// does not sleep between checks, so loops of many short waits stay fast.
inline bool spinUntil(const std::function<bool()> &pred, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick; // wakes the wait below when nothing else happens
    tick.start(20);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

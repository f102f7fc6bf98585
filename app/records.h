#pragma once
// The records a run keeps beside its window, as the command line asked: a capture file and a
// traffic log of the main window's connection, and the log's status lines. Made when the window
// is; a file that cannot be created is said once and the run goes on without it.

#include <QString>

#include <memory>

class TfMain;
class CaptureRecorder;
class TrafficLog;

class Records {
public:
    Records(TfMain &window, const QString &capturePath, const QString &logPath);
    ~Records();
    Records(const Records &) = delete;
    Records &operator=(const Records &) = delete;

private:
    TfMain &m_window;
    std::unique_ptr<CaptureRecorder> m_capture;
    std::unique_ptr<TrafficLog> m_log;
};

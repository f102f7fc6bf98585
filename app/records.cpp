#include "app/records.h"

#include "record/capture.h"
#include "record/trafficlog.h"
#include "terminal/fmain.h"

#include <QCoreApplication>

Records::Records(TfMain &window, const QString &capturePath, const QString &logPath) : m_window(window)
{
    if (!capturePath.isEmpty()) {
        const QByteArray application =
            (QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion()).toUtf8();
        m_capture = std::make_unique<CaptureRecorder>(application);
        if (m_capture->create(capturePath))
            window.CS1.Socket()->AddTap(m_capture.get());
    }
    if (!logPath.isEmpty()) {
        m_log = std::make_unique<TrafficLog>();
        if (m_log->create(logPath)) {
            window.CS1.Socket()->AddTap(m_log.get());
            window.OnStatusLine = [log = m_log.get()](const QByteArray &line) { log->status(line); };
        }
    }
}

Records::~Records()
{
    m_window.OnStatusLine = nullptr;
    if (m_capture)
        m_window.CS1.Socket()->RemoveTap(m_capture.get());
    if (m_log)
        m_window.CS1.Socket()->RemoveTap(m_log.get());
}

#include "record/recordfile.h"

#include "core/errors.h"
#include "core/guard.h"
#include "core/systemtext.h"

#include <QDir>

RecordFile::RecordFile()
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kFlushDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecordFile::flush);
}

RecordFile::~RecordFile()
{
    m_atEnd = true;
    flush();
}

bool RecordFile::create(const QString &path)
{
    m_path = path;
    QString reason;
    if (!createRecordFile(m_file, path, &reason)) {
        fail(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    return true;
}

void RecordFile::append(QByteArrayView bytes)
{
    if (m_failed || !m_file.isOpen())
        return;
    m_buffer.append(bytes);
    if (m_buffer.size() >= kFlushBytes)
        flush();
    else if (!m_timer.isActive())
        m_timer.start();
}

void RecordFile::flush()
{
    m_timer.stop();
    if (m_failed || m_buffer.isEmpty())
        return;
    // A write that takes part of the bytes is tried again with the rest: the system says why
    // only when a write takes nothing (a disk that fills takes what fits first).
    for (qsizetype done = 0; done < m_buffer.size();) {
        const qint64 n = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0) {
            const QString reason = trimmedSystemText(m_file.errorString());
            fail(QStringLiteral("Cannot write to file \"%1\". %2").arg(QDir::toNativeSeparators(m_path), reason));
            return;
        }
        done += n;
    }
    // Kept at its size: the next burst fills it without growing it again.
    m_buffer.resize(0);
}

void RecordFile::fail(const QString &message)
{
    m_failed = true;
    m_buffer = QByteArray();
    m_file.close();
    const Exception e(message.toStdString());
    if (m_atEnd) {
        guard::report(e); // the last flush, when the run ends
        return;
    }
    // Said from the event loop: the failure may be found in the middle of a send or a receive.
    // Not tied to this object, so that it is said even when the record ends first.
    QTimer::singleShot(0, [e] { guard::report(e); });
}

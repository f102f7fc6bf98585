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
    const qint64 written = m_file.write(m_buffer);
    if (written != m_buffer.size()) {
        const QString reason = trimmedSystemText(m_file.errorString());
        fail(QStringLiteral("Cannot write to file \"%1\". %2").arg(QDir::toNativeSeparators(m_path), reason));
        return;
    }
    // Kept at its size: the next burst fills it without growing it again.
    m_buffer.resize(0);
}

void RecordFile::fail(const QString &message)
{
    m_failed = true;
    m_buffer = QByteArray();
    m_file.close();
    // Said from the event loop: the failure may be found in the middle of a send or a receive.
    const std::string text = message.toStdString();
    QTimer::singleShot(0, this, [text] { guard::report(Exception(text)); });
}

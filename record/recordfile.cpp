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
    if (m_writer.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_writer.join();
    }
    takeFailure(true);
}

bool RecordFile::create(const QString &path)
{
    m_path = path;
    QString reason;
    if (!createRecordFile(m_file, path, &reason)) {
        fail(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason), false);
        return false;
    }
    m_buffer.reserve(kBufferRoom);
    m_writer = std::thread([this] { writerLoop(); });
    return true;
}

void RecordFile::append(QByteArrayView bytes)
{
    if (m_failed || !m_writer.joinable())
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
    takeFailure(false);
    if (m_failed || m_buffer.isEmpty() || !m_writer.joinable())
        return;
    QByteArray next;
    {
        std::unique_lock lock(m_mutex);
        // Room for it, unless the writer has stopped (then nothing waits for it any more).
        m_changed.wait(lock, [&] { return m_queuedBytes < kMaxQueuedBytes || !m_writeFailure.isEmpty(); });
        if (!m_writeFailure.isEmpty()) {
            m_buffer.clear();
        } else {
            m_queuedBytes += m_buffer.size();
            m_queue.push_back(std::move(m_buffer));
            if (!m_spare.empty()) {
                next = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
    }
    m_changed.notify_all();
    if (next.capacity() == 0)
        next.reserve(kBufferRoom);
    m_buffer = std::move(next);
}

void RecordFile::writerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopped, everything written
        QByteArray chunk = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        // A write that takes part of the bytes is tried again with the rest: the system says
        // why only when a write takes nothing (a disk that fills takes what fits first).
        QString failure;
        for (qsizetype done = 0; done < chunk.size();) {
            const qint64 n = m_file.write(chunk.constData() + done, chunk.size() - done);
            if (n <= 0) {
                failure = QStringLiteral("Cannot write to file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(m_path), trimmedSystemText(m_file.errorString()));
                break;
            }
            done += n;
        }
        lock.lock();
        m_queuedBytes -= chunk.size();
        if (!failure.isEmpty()) {
            m_writeFailure = failure;
            m_queue.clear();
            m_queuedBytes = 0;
            lock.unlock();
            m_changed.notify_all();
            // The window learns it from its own thread (the queued call goes with this object).
            QMetaObject::invokeMethod(this, [this] { takeFailure(false); }, Qt::QueuedConnection);
            return;
        }
        chunk.resize(0);
        if (m_spare.size() < 2)
            m_spare.push_back(std::move(chunk));
        m_changed.notify_all();
    }
}

void RecordFile::takeFailure(bool atEnd)
{
    if (m_failed || !m_writer.joinable())
        return;
    QString failure;
    {
        std::lock_guard lock(m_mutex);
        failure = m_writeFailure;
    }
    if (!failure.isEmpty())
        fail(failure, atEnd);
}

void RecordFile::fail(const QString &message, bool atEnd)
{
    m_failed = true;
    m_timer.stop();
    m_buffer = QByteArray();
    const Exception e(message.toStdString());
    if (atEnd) {
        guard::report(e); // the record ends with the run
        return;
    }
    // Said from the event loop: the failure may be found in the middle of a send or a receive.
    // Not tied to this object, so that it is said even when the record ends first.
    QTimer::singleShot(0, [e] { guard::report(e); });
}

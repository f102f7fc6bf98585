#pragma once
// The file a record is written to: created anew when the run starts (an existing file is
// replaced, never appended to), filled through a buffer that is handed to a writer thread
// kFlushDelayMs after an append at the latest, or at once when it grows past kFlushBytes, and
// at the end. The thread writes it to the system while the window goes on, so a slow disk does
// not hold the window up; only when kMaxQueuedBytes wait for the disk does an append wait for
// room (nothing is dropped).
//
// A file that cannot be created or written is said once, with its path and the system's
// reason, through the application's exception box, and the record goes on without it: what
// is appended afterwards is dropped. The box is shown from the event loop, never from inside
// an append (appends happen in the middle of the connection's work), or at the end.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class RecordFile : public QObject {
public:
    static constexpr int kFlushDelayMs = 50;
    static constexpr qsizetype kFlushBytes = 1 << 20;
    static constexpr qsizetype kMaxQueuedBytes = 8 << 20;
    // A buffer's room: a flush is due at kFlushBytes, and the append that passes it fits too
    // unless it is large.
    static constexpr qsizetype kBufferRoom = kFlushBytes + 64 * 1024;

    RecordFile();
    ~RecordFile() override;

    // Creates the file. False when it could not be (already said, or about to be).
    bool create(const QString &path);
    void append(QByteArrayView bytes);
    // Hands what is buffered to the writer now.
    void flush();

    bool failed() const { return m_failed; }

private:
    void writerLoop();
    void takeFailure(bool atEnd);
    void fail(const QString &message, bool atEnd);

    QString m_path;
    QFile m_file; // used by the writer thread once it runs
    QByteArray m_buffer;
    QTimer m_timer;
    bool m_failed = false; // said, or about to be; nothing more is written

    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_queue; // handed over, not yet written
    qsizetype m_queuedBytes = 0;
    std::vector<QByteArray> m_spare; // written buffers, kept to be filled again
    bool m_stop = false;
    QString m_writeFailure; // why the writer stopped, empty while it has not
};

// Opens file for writing at path, created anew; false with the system's reason in *reason.
// One definition per system (recordfile_posix.cpp, recordfile_win.cpp).
bool createRecordFile(QFile &file, const QString &path, QString *reason);

#pragma once
// The file a record is written to: created anew when the run starts (an existing file is
// replaced, never appended to), filled through a buffer that reaches the system within
// kFlushDelayMs of an append, or at once when it grows past kFlushBytes, and at the end.
//
// A file that cannot be created or written is said once, with its path and the system's
// reason, through the application's exception box, and the record goes on without it: what
// is appended afterwards is dropped. The box is shown from the event loop, never from inside
// an append (appends happen in the middle of the connection's work).

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

class RecordFile : public QObject {
public:
    static constexpr int kFlushDelayMs = 50;
    static constexpr qsizetype kFlushBytes = 1 << 20;

    RecordFile();
    ~RecordFile() override;

    // Creates the file. False when it could not be (already said, or about to be).
    bool create(const QString &path);
    void append(QByteArrayView bytes);
    // Hands what is buffered to the system now.
    void flush();

    bool failed() const { return m_failed; }
    const QString &path() const { return m_path; }

private:
    void fail(const QString &message);

    QString m_path;
    QFile m_file;
    QByteArray m_buffer;
    QTimer m_timer;
    bool m_failed = false;
    bool m_atEnd = false;
};

// Opens file for writing at path, created anew; false with the system's reason in *reason.
// One definition per system (recordfile_posix.cpp, recordfile_win.cpp).
bool createRecordFile(QFile &file, const QString &path, QString *reason);

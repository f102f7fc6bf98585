#pragma once
// The traffic log: the run's sends, arrivals and status lines as readable UTF-8 text, one entry
// a line. An entry starts with the local time to the millisecond and the direction; a send or
// an arrival then gives its byte count, the bytes in hexadecimal, 16 to a line, and beside them
// the same bytes as code page 1254 text with control bytes drawn as visible symbols; longer
// ones go on in continuation lines under the first. A status line gives the text the sent pane
// shows. Sends are logged as the platform took them, arrivals as they were read.

#include "net/traffictap.h"
#include "record/recordfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace trafficlog {

enum class Direction { Sent, Received, Status };

inline constexpr int kBytesPerLine = 16;

// The lines of one entry, each ending in '\n'. For a status line, bytes is its text.
QByteArray entry(const QDateTime &when, Direction direction, QByteArrayView bytes);

} // namespace trafficlog

class TrafficLog : public net::TrafficTap {
public:
    TrafficLog();
    ~TrafficLog() override;

    // Creates the file; false when it could not be (said once).
    bool create(const QString &path);

    // A status line as the sent pane shows it (code page text).
    void status(const QByteArray &line);

    void connected(const net::SockAddrIn &, const net::SockAddrIn &, const QByteArray &) override {}
    void sent(QByteArrayView bytes) override;
    void received(QByteArrayView bytes) override;
    void peerClosed() override {}
    void failed(int) override {}
    void closed() override {}

private:
    void write(trafficlog::Direction direction, QByteArrayView bytes);
    RecordFile m_file;
};

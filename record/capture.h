#pragma once
// The capture file: every connection of the run in pcapng, as it happens, so that a packet
// analyser opens it, follows each connection's stream and dissects the protocol by port.
//
// Only the bytes and the moments are real. The packets are made up from what the connection
// object reports: a three-way handshake when a connect completes (between the connection's own
// local and remote addresses), one segment per send as the platform took it and per arrival as
// it was read (split where an IPv4 packet would be too long), FIN for an orderly close from
// either side, RST when the connection breaks. Sequence and acknowledgement numbers follow the
// bytes; the windows are scaled to 1 GiB so that no analyser takes the missing pure ACKs for a
// full window. The file says so in its section comment.

#include "net/traffictap.h"
#include "record/recordfile.h"
#include "record/tcpheaders.h"

#include <QByteArray>
#include <QString>

class CaptureRecorder : public net::TrafficTap {
public:
    // application names the program and its version in the file.
    explicit CaptureRecorder(const QByteArray &application);
    ~CaptureRecorder() override;

    // Creates the file and writes its header; false when it could not be (said once).
    bool create(const QString &path);

    void connected(const net::SockAddrIn &local, const net::SockAddrIn &remote, const QByteArray &host) override;
    void sent(QByteArrayView bytes) override;
    void received(QByteArrayView bytes) override;
    void peerClosed() override;
    void failed(int code) override;
    void closed() override;

private:
    enum Side { Local, Remote };
    void segment(Side from, quint8 flags, QByteArrayView payload, QByteArrayView options = {},
                 const QByteArray &comment = {});
    void data(Side from, QByteArrayView bytes);

    QByteArray m_application;
    RecordFile m_file;
    quint64 m_now = 0; // the moment of the event being written, microseconds since the epoch

    // The connection being recorded.
    bool m_open = false;
    tcpheaders::Endpoint m_end[2];
    quint32 m_next[2] = {0, 0}; // the next sequence number each side sends
    quint16 m_ipId[2] = {0, 0};
};

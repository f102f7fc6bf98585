#include "record/capture.h"

#include "core/codepage.h"
#include "record/pcapng.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QtEndian>

#include <chrono>

using tcpheaders::ACK;
using tcpheaders::FIN;
using tcpheaders::PSH;
using tcpheaders::RST;
using tcpheaders::SYN;

namespace {

constexpr quint16 kWindow = 0xFFFF; // scaled by 2^14: about 1 GiB
constexpr quint32 kInterface = 0;
constexpr int kConnectionReset = 10054;

// MSS 65495, a no-op, window scale 14: the options of both SYNs.
constexpr char kSynOptions[] = {2, 4, char(0xFF), char(0xD7), 1, 3, 3, 14};

quint64 nowMicros()
{
    using namespace std::chrono;
    return quint64(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

QString endpointText(const tcpheaders::Endpoint &e)
{
    return QStringLiteral("%1:%2").arg(QHostAddress(qFromBigEndian(e.addr)).toString()).arg(qFromBigEndian(e.port));
}

} // namespace

CaptureRecorder::CaptureRecorder(const QByteArray &application) : m_application(application) {}

CaptureRecorder::~CaptureRecorder() = default;

bool CaptureRecorder::create(const QString &path)
{
    if (!m_file.create(path))
        return false;
    const QByteArray comment =
        "TCP connections of " + m_application +
        ", recorded by the program itself. The bytes and their moments are as sent and received; the IPv4 and "
        "TCP headers are made up from the connection's addresses (handshake, sequence numbers, windows; no pure "
        "ACKs).";
    m_file.append(pcapng::sectionHeader(m_application, comment));
    m_file.append(pcapng::interfaceDescription(pcapng::kLinkTypeRaw, 0xFFFF, "miraven",
                                               "connections made by " + m_application));
    m_file.flush();
    return true;
}

void CaptureRecorder::segment(Side from, quint8 flags, QByteArrayView payload, QByteArrayView options,
                              const QByteArray &comment)
{
    const Side to = from == Local ? Remote : Local;
    tcpheaders::Segment s;
    s.from = m_end[from];
    s.to = m_end[to];
    s.ipId = m_ipId[from]++;
    s.seq = m_next[from];
    s.ack = (flags & ACK) ? m_next[to] : 0;
    s.flags = flags;
    s.window = kWindow;
    s.options = options;
    const QByteArray headers = tcpheaders::headers(s, payload);
    const pcapng::PacketFrame frame =
        pcapng::packetFrame(kInterface, m_now, quint32(headers.size() + payload.size()), comment);
    m_file.append(frame.head);
    m_file.append(headers);
    m_file.append(payload);
    m_file.append(frame.tail);
    m_next[from] += quint32(payload.size()) + ((flags & (SYN | FIN)) ? 1 : 0);
}

void CaptureRecorder::connected(const net::SockAddrIn &local, const net::SockAddrIn &remote, const QByteArray &host)
{
    if (m_file.failed())
        return;
    m_now = nowMicros();
    m_open = true;
    m_end[Local] = {local.addr, local.port};
    m_end[Remote] = {remote.addr, remote.port};
    m_next[Local] = QRandomGenerator::global()->generate();
    m_next[Remote] = QRandomGenerator::global()->generate();
    const QString hostText = cp1254::toUnicode(host);
    const QByteArray comment = (QString::fromUtf8(m_application) +
                                QStringLiteral(": connection to %1 port %2, %3 to %4")
                                    .arg(hostText)
                                    .arg(qFromBigEndian(remote.port))
                                    .arg(endpointText(m_end[Local]), endpointText(m_end[Remote])))
                                   .toUtf8();
    const QByteArrayView options(kSynOptions, sizeof kSynOptions);
    segment(Local, SYN, {}, options, comment);
    segment(Remote, SYN | ACK, {}, options);
    segment(Local, ACK, {});
}

void CaptureRecorder::data(Side from, QByteArrayView bytes)
{
    if (!m_open || m_file.failed())
        return;
    m_now = nowMicros();
    while (!bytes.isEmpty()) {
        const qsizetype n = qMin(bytes.size(), tcpheaders::kMaxPayload);
        segment(from, PSH | ACK, bytes.first(n));
        bytes = bytes.sliced(n);
    }
}

void CaptureRecorder::sent(QByteArrayView bytes)
{
    data(Local, bytes);
}

void CaptureRecorder::received(QByteArrayView bytes)
{
    data(Remote, bytes);
}

void CaptureRecorder::peerClosed()
{
    if (!m_open || m_file.failed())
        return;
    m_now = nowMicros();
    segment(Remote, FIN | ACK, {});
}

void CaptureRecorder::failed(int code)
{
    if (!m_open || m_file.failed())
        return;
    m_now = nowMicros();
    if (code == kConnectionReset)
        segment(Remote, RST | ACK, {}, {}, "connection reset by the peer (" + QByteArray::number(code) + ")");
    else
        segment(Local, RST | ACK, {}, {}, "connection ended with error " + QByteArray::number(code));
    m_open = false;
}

void CaptureRecorder::closed()
{
    if (!m_open || m_file.failed())
        return;
    m_now = nowMicros();
    segment(Local, FIN | ACK, {});
    m_open = false;
}

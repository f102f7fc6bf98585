// Echo benchmark: 10000 sends of 80 bytes into the sent pane near its line cap, through the
// real send path of the main window connected to a loopback server that discards them.
// Then a slow reader: 200 sends of 32002 bytes, one per turn of the event loop, to a peer that
// reads 16 KiB a millisecond; every byte must arrive in order while the window stays responsive.

#include "bench/floodserver.h"
#include "core/guard.h"
#include "terminal/fmain.h"
#include "terminal/settings.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/glyphbutton.h"
#include "ui/pane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Shows the window and connects it to a loopback port, waiting until it is connected.
void connectWindow(QApplication &app, TfMain &window, quint16 port)
{
    window.show();
    window.cmb2->SetText(QByteArray::number(port));
    window.btnbaglan->click();
    QElapsedTimer wait;
    wait.start();
    while (window.btnbaglan->isEnabled() && wait.elapsed() < 5000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
}

QByteArray slowText(int i)
{
    QByteArray t(32000, char('a' + i % 26));
    t.replace(0, 6, QByteArray::number(100000 + i)); // each text tells where it belongs
    return t + "\r\n";
}

// A peer on its own thread that reads 16 KiB at a time with a pause after each read, and
// compares what it gets with what was sent.
class SlowPeer {
public:
    explicit SlowPeer(QByteArray expected) : m_expected(std::move(expected))
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr *>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 1);
        m_thread = std::thread([this] { run(); });
    }
    ~SlowPeer()
    {
        m_thread.join();
        ::close(m_listen);
    }
    quint16 port() const { return m_port; }
    qint64 received() const { return m_received.load(); }
    qint64 firstDifference() const { return m_firstDifference.load(); }

private:
    void run()
    {
        const int s = ::accept(m_listen, nullptr, nullptr);
        QByteArray buf(16 * 1024, Qt::Uninitialized);
        qint64 at = 0;
        while (at < m_expected.size()) {
            const ssize_t n = ::recv(s, buf.data(), size_t(buf.size()), 0);
            if (n <= 0)
                break;
            for (ssize_t i = 0; i < n && m_firstDifference < 0; ++i)
                if (at + i >= m_expected.size() || buf.constData()[i] != m_expected.constData()[at + i])
                    m_firstDifference = at + i;
            at += n;
            m_received = at;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::close(s);
    }
    QByteArray m_expected;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<qint64> m_received{0};
    std::atomic<qint64> m_firstDifference{-1};
    std::thread m_thread;
};


bool slowReader(QApplication &app, QStringList &failures)
{
    constexpr int kSends = 200;
    QByteArray expected;
    for (int i = 0; i < kSends; ++i)
        expected += slowText(i);
    SlowPeer peer(expected);
    TfMain window;
    connectWindow(app, window, peer.port());

    std::vector<double> lateness;
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            lateness.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
        last = now;
    });
    tick.start(10);
    int next = 0;
    qint64 peakQueued = 0;
    QTimer sender;
    QObject::connect(&sender, &QTimer::timeout, [&] {
        if (next < kSends)
            window.gonder(slowText(next++));
        peakQueued = std::max(peakQueued, window.CS1.Socket()->QueuedBytes());
    });
    sender.start(0);
    while (peer.received() < expected.size() && clock.elapsed() < 60000 && window.CS1.Active())
        app.processEvents(QEventLoop::WaitForMoreEvents, 20);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    window.btnkes->click();
    std::printf("slow reader %d x 32002 B: %lld of %lld bytes arrived, first difference at %lld, in %.0f ms; "
                "queue peak %.1f MB; lateness p50 %.1f ms p99 %.1f ms max %.1f ms\n",
                kSends, (long long)peer.received(), (long long)expected.size(), (long long)peer.firstDifference(), ms,
                double(peakQueued) / 1e6, percentile(lateness, 0.5), percentile(lateness, 0.99),
                percentile(lateness, 1.0));
    return failures.isEmpty() && peer.received() == expected.size() && peer.firstDifference() < 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    fonts::install();
    app.setFont(fonts::windowFont());
    QTemporaryDir dir;
    settings::setProgramFilePath(dir.filePath("miraven"));
    QStringList failures;
    guard::setHandler([&](const std::exception &e) { failures << QString::fromUtf8(e.what()); });

    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
    });

    TfMain window;
    connectWindow(app, window, server.serverPort());

    window.Memo1->SetText(QByteArray("x\r\n").repeated(9000)); // near the cap
    const QByteArray text = QByteArray(78, 'e') + "\r\n";
    std::vector<double> us;
    us.reserve(10000);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 10000; ++i) {
        const qint64 a = t.nsecsElapsed();
        window.gonder(text);
        us.push_back(double(t.nsecsElapsed() - a) / 1e3);
        if (i % 64 == 0)
            app.processEvents(); // let the pane repaint and the server read now and then
    }
    const double total = double(t.nsecsElapsed()) / 1e6;
    std::sort(us.begin(), us.end());
    std::printf("echo 10000 x 80 B near the line cap: %.1f ms in all, per send p50 %.1f us p99 %.1f us max %.1f us\n",
                total, us[us.size() / 2], us[us.size() * 99 / 100], us.back());
    window.btnkes->click();
    const bool slowOk = slowReader(app, failures);
    if (!failures.isEmpty())
        std::printf("  exception box would have shown: %s\n", qPrintable(failures.join(" | ")));
    return failures.isEmpty() && slowOk ? 0 : 1;
}

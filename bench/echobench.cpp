// Echo benchmark: 10000 sends of 80 bytes into the sent pane near its line cap, through the
// real send path of the main window connected to a loopback server that discards them.

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

#include <algorithm>
#include <cstdio>
#include <vector>

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
    window.show();
    window.cmb2->SetText(QByteArray::number(server.serverPort()));
    window.btnbaglan->click();
    QElapsedTimer wait;
    wait.start();
    while (window.btnbaglan->isEnabled() && wait.elapsed() < 5000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);

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
    return failures.isEmpty() ? 0 : 1;
}

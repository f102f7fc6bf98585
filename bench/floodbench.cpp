// Flood benchmark: the real main window, offscreen, connected to a loopback server that pushes
// a fixed volume of one kind of data. Reports throughput, event-loop lateness of a 10 ms timer
// and peak RSS, beside a raw recv loop over the same data.
//
//   flood_bench [lines|binary|nobreaks] [MiB] [capture|log]
//
// With capture or log the window keeps that record of the flood in a file on the local disk
// (a temporary folder), as --capture and --log do.

#include "app/records.h"
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
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
long peakRssKiB()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    fonts::install();
    app.setFont(fonts::windowFont());
    FloodKind kind = FloodKind::Lines;
    const QByteArray record = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    if ((argc > 1 && !parseKind(argv[1], &kind)) || (!record.isEmpty() && record != "capture" && record != "log")) {
        std::fprintf(stderr, "usage: flood_bench [lines|binary|nobreaks] [MiB] [capture|log]\n");
        return 2;
    }
    const std::int64_t mib = argc > 2 ? std::atoll(argv[2]) : 256;
    const std::int64_t volume = mib << 20;

    QStringList failures;
    guard::setHandler([&](const std::exception &e) { failures << QString::fromUtf8(e.what()); });
    QTemporaryDir dir;
    settings::setProgramFilePath(dir.filePath("miraven"));

    const double raw = rawRecvMiBps(kind, volume);

    TfMain window;
    const QString recordPath = record.isEmpty() ? QString() : dir.filePath("flood." + QString::fromLatin1(record));
    const Records records(window, record == "capture" ? recordPath : QString(),
                          record == "log" ? recordPath : QString());
    window.show();
    // The first showing (fonts, glyphs, the first paint) is done before the flood starts.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        app.processEvents(QEventLoop::AllEvents, 50);
    FloodServer server(kind, volume);
    server.start();

    std::vector<double> lateness;
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    bool done = false;
    qint64 startNs = 0, endNs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0) {
            lateness.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
            if (qEnvironmentVariableIsSet("FLOOD_TRACE") && lateness.back() > 20)
                std::printf("  late %.1f ms at %.0f ms: Memo2 %lld B, Memo3 %lld B, sent %lld\n", lateness.back(),
                            double(now - startNs) / 1e6, (long long)window.Memo2->Model().size(),
                            (long long)window.Memo3->Model().size(), (long long)server.sent());
        }
        last = now;
    });

    window.CS1.OnConnect = [&](TCustomSocket *s, TCustomWinSocket *w) {
        window.CS1Connect(s, w);
        startNs = clock.nsecsElapsed();
        tick.start();
    };
    qint64 arrivals = 0;
    window.CS1.OnRead = [&](TCustomSocket *s, TCustomWinSocket *w) {
        ++arrivals;
        window.CS1Read(s, w);
    };
    window.CS1.OnDisconnect = [&](TCustomSocket *s, TCustomWinSocket *w) {
        window.CS1Disconnect(s, w);
        endNs = clock.nsecsElapsed();
        done = true;
        app.quit();
    };
    window.cmb2->SetText(QByteArray::number(server.port()));
    window.btnbaglan->click();
    QTimer::singleShot(300000, &app, [&] { app.quit(); });
    app.exec();
    tick.stop();

    const double secs = double(endNs - startNs) / 1e9;
    const double mibps = done ? double(server.sent()) / (1 << 20) / secs : 0;
    std::printf("flood %-8s %5lld MiB: %7.1f MiB/s (raw recv %7.1f MiB/s, %4.1f%%)  lateness p50 %4.1f ms "
                "p99 %4.1f ms max %4.1f ms (%zu ticks)  peak RSS %6.1f MB%s\n",
                kindName(kind), static_cast<long long>(mib), mibps, raw, 100.0 * mibps / raw,
                percentile(lateness, 0.5), percentile(lateness, 0.99), percentile(lateness, 1.0), lateness.size(),
                double(peakRssKiB()) / 1024.0, done ? "" : "  (did not finish)");
    std::printf("  %lld arrivals, %.0f KiB each on average\n", (long long)arrivals,
                arrivals ? double(server.sent()) / double(arrivals) / 1024.0 : 0.0);
    if (!record.isEmpty())
        std::printf("  %s file %.1f MiB\n", record.constData(), double(QFileInfo(recordPath).size()) / (1 << 20));
    if (!failures.isEmpty())
        std::printf("  exception box would have shown: %s\n", qPrintable(failures.join(" | ")));
    window.CS1.OnConnect = nullptr;
    window.CS1.OnDisconnect = nullptr;
    window.CS1.OnRead = nullptr;
    return done && failures.isEmpty() ? 0 : 1;
}

#include "core/guard.h"

#include <QTest>

#include <stdexcept>

class TestGuard : public QObject {
    Q_OBJECT
private slots:
    void escapingExceptionGoesToHandlerAndStopsTheHandlerThere()
    {
        QStringList seen;
        guard::setHandler([&](const std::exception &e) { seen << QString::fromUtf8(e.what()); });
        bool after = false;
        guard::run([&] {
            throw std::runtime_error("boom");
            after = true; // never reached
        });
        guard::run([] {}); // nothing to report
        guard::run([] { throw 42; });
        QCOMPARE(seen, (QStringList{"boom", "Unknown exception"}));
        QVERIFY(!after);
        guard::setHandler(nullptr);
        guard::run([] { throw std::runtime_error("dropped"); }); // no handler: dropped, no crash
    }
};

QTEST_GUILESS_MAIN(TestGuard)
#include "tst_guard.moc"

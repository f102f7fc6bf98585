// The traffic log: entries as text, and the log the real window writes during a session.

#include "app/records.h"
#include "record/trafficlog.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QTest>

using trafficlog::Direction;

Q_DECLARE_METATYPE(Direction)

namespace {
QByteArray cp(const char16_t *text)
{
    return cp1254::fromUnicode(QString::fromUtf16(text));
}
} // namespace

class TestTrafficLog : public QObject {
    Q_OBJECT

private slots:
    void entries_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QString t = QStringLiteral("2026-12-10 09:05:03.007  ");
        const QString more = QString(45, u' ');

        QTest::newRow("status in code page text")
            << Direction::Status << cp(u"127.0.0.1 Bağlanıyor...")
            << t + "status              127.0.0.1 Bağlanıyor...\n";
        QTest::newRow("status with a control byte shown")
            << Direction::Status << QByteArray("a\tb") << t + "status              a\u2409b\n";
        QTest::newRow("a Modbus request")
            << Direction::Sent << QByteArray::fromHex("000100000006110300 6b0003")
            << t + "sent            12  00 01 00 00 00 06 11 03 00 6B 00 03              "
                   "\u2400\u2401\u2400\u2400\u2400\u2406\u2411\u2403\u2400k\u2400\u2403\n";
        QTest::newRow("line ends and DEL visible")
            << Direction::Sent << QByteArray("AT\r\n\x7f")
            << t + "sent             5  41 54 0D 0A 7F                                   AT\u240D\u240A\u2421\n";
        QTest::newRow("Turkish capitals, undefined bytes")
            << Direction::Received << QByteArray("\xD0\xDC\xDE\xDD\xD6\xC7\x81\xFD\x80")
            << t + "received         9  D0 DC DE DD D6 C7 81 FD 80                       ĞÜŞİÖÇ\uFFFDı€\n";
        QTest::newRow("exactly one line of 16")
            << Direction::Received << QByteArray("0123456789abcdef")
            << t + "received        16  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  0123456789abcdef\n";
        QTest::newRow("continuation lines under the first")
            << Direction::Received << QByteArray("0123456789abcdefghijklmnopqrstuvwxyz")
            << t + "received        36  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  0123456789abcdef\n" + more +
                   "67 68 69 6A 6B 6C 6D 6E 6F 70 71 72 73 74 75 76  ghijklmnopqrstuv\n" + more +
                   "77 78 79 7A                                      wxyz\n";
    }
    void entries()
    {
        QFETCH(Direction, direction);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2026, 12, 10), QTime(9, 5, 3, 7));
        QCOMPARE(QString::fromUtf8(trafficlog::entry(when, direction, bytes)), expected);
    }

    void aSessionIsLoggedInOrder()
    {
        LoopbackServer server;
        MainWindowFixture f;
        TfMain &w = f.open();
        const QString path = f.dir.filePath(QStringLiteral("run.log"));
        auto records = std::make_unique<Records>(w, QString(), path);
        w.cmb2->SetText(server.portText());
        w.btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QVERIFY(server.waitForClient());
        w.ch1->setChecked(true);
        w.Edit1->SetText("AT#043");
        w.btngonder->click();
        QVERIFY(server.waitForReceived(5));
        server.send("OK\r\n");
        QVERIFY(spinUntil([&] { return w.Memo3->Text().size() > 0; }));
        server.closeClient();
        QVERIFY(spinUntil([&] { return f.notConnected(); }));
        // Written while the program runs, without waiting for its end.
        QVERIFY(spinUntil([&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("Kesildi");
        }));
        records.reset();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QCOMPARE(lines.takeLast(), QString());
        const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  "));
        for (QString &line : lines) {
            QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
            line = line.mid(25);
        }
        QCOMPARE(lines, (QStringList{
                            "status              127.0.0.1 Bağlanıyor...",
                            "status              127.0.0.1 Bağlanıldı.",
                            "sent             5  41 54 2B 0D 0A                                   AT+\u240D\u240A",
                            "received         4  4F 4B 0D 0A                                      OK\u240D\u240A",
                            "status              127.0.0.1 Bağlantı Kesildi.",
                        }));
    }
};

QTEST_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"

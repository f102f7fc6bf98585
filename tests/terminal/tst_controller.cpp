#include "net/platform.h"
#include "net/wsaerrors.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"

#include <QDir>
#include <QTest>

using net::platform;

namespace {
const QString kConnecting = QStringLiteral(" Bağlanıyor...");
const QString kConnected = QStringLiteral(" Bağlanıldı.");
const QString kDisconnected = QStringLiteral(" Bağlantı Kesildi.");
QString errorLine(int code)
{
    return QStringLiteral("Hata Oluştu. Hata Kodu:%1").arg(code);
}
} // namespace

class TestController : public QObject {
    Q_OBJECT

    // Connects the window to the server, as a user would.
    void connectTo(MainWindowFixture &f, LoopbackServer &server, const QByteArray &host = "127.0.0.1")
    {
        const int clients = server.clientCount();
        f.window->cmb1->SetText(host);
        f.window->cmb2->SetText(server.portText());
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QVERIFY(server.waitForClient(clients + 1));
    }

private slots:
    void cleanup() { platform().clearFaults(); }

    void firstStartShowsTheDefaults()
    {
        MainWindowFixture f;
        f.open();
        QCOMPARE(f.window->cmb1->Text(), QByteArray("127.0.0.1"));
        QCOMPARE(f.window->cmb2->Text(), QByteArray("9988"));
        QVERIFY(f.settingsFile().startsWith("[PORT]\r\ncmb1=127.0.0.1\r\ncmb2=9988\r\n[MAKRO]\r\nMAKRO1=\r\n"));
        QVERIFY(f.exceptions.isEmpty());
        QVERIFY(f.notConnected());
    }

    void connectAndDisconnect()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        f.window->cmb2->SetText(server.portText());
        f.window->btnbaglan->click();
        // Nothing yet: the lookup is asynchronous; the settings are stored after the open returned.
        QVERIFY(f.statusLines().isEmpty());
        QVERIFY(f.notConnected());
        QVERIFY(f.settingsFile().contains("cmb2=" + server.portText() + "\r\n"));
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QCOMPARE(f.statusLines(), (QStringList{"127.0.0.1" + kConnecting, "127.0.0.1" + kConnected}));
        f.window->btnkes->click();
        QCOMPARE(f.statusLines().last(), "127.0.0.1" + kDisconnected);
        QVERIFY(f.notConnected());
        QVERIFY(server.waitForClientClosed());
        QVERIFY(f.exceptions.isEmpty());
    }

    void refusedAddsOnlyTheErrorLine()
    {
        MainWindowFixture f;
        f.open();
        f.window->cmb2->SetText(QByteArray::number(closedPort()));
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.statusLines().contains(errorLine(10061)); }));
        QCOMPARE(f.statusLines(), (QStringList{"127.0.0.1" + kConnecting, errorLine(10061)}));
        QVERIFY(f.notConnected());
        // A second press tries again.
        LoopbackServer server;
        f.window->cmb2->SetText(server.portText());
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QVERIFY(f.exceptions.isEmpty());
    }

    void unknownHost()
    {
        MainWindowFixture f;
        f.open();
        f.window->cmb1->SetText("no-such-host.invalid");
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.statusLines().size() == 2; }));
        QCOMPARE(f.statusLines(), (QStringList{errorLine(11001), "no-such-host.invalid" + kDisconnected}));
        QVERIFY(f.notConnected());
    }

    void emptyHost()
    {
        MainWindowFixture f;
        f.open();
        f.window->cmb1->SetText("");
        f.window->btnbaglan->click();
        // Both lines come inside the press; the disconnected line begins with a blank.
        QCOMPARE(f.statusLines(), (QStringList{errorLine(1110), kDisconnected}));
        QVERIFY(f.settingsFile().contains("cmb1=\r\n"));
        QVERIFY(f.exceptions.isEmpty());
        // The next start shows and stores the default again.
        f.window.reset();
        f.open();
        QCOMPARE(f.window->cmb1->Text(), QByteArray("127.0.0.1"));
        QVERIFY(f.settingsFile().contains("cmb1=127.0.0.1\r\n"));
    }

    void peerClosesResetsAndAborts()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        connectTo(f, server);
        server.closeClient(0);
        QVERIFY(spinUntil([&] { return f.notConnected(); }));
        QCOMPARE(f.statusLines().last(), "127.0.0.1" + kDisconnected);

        // A reset: the error line, and the window stays Connected.
        f.window->Memo1->Clear();
        connectTo(f, server);
        SKIP_UNLESS_RESETS_ARE_REPORTED();
        server.resetClient(1);
        QVERIFY(spinUntil([&] { return f.statusLines().contains(errorLine(10054)); }));
        QCOMPARE(f.statusLines().last(), errorLine(10054));
        QVERIFY(f.connected());
        QVERIFY(f.window->kontrol()); // the guard still passes
        f.window->btnkes->click();
        QCOMPARE(f.statusLines().last(), "127.0.0.1" + kDisconnected);

        // 10053: the disconnected line first, then the error line.
        f.window->Memo1->Clear();
        connectTo(f, server);
        platform().postNotification(f.window->CS1.Socket()->SocketHandle(), net::FD_CLOSE, wsa::ECONNABORTED_);
        QVERIFY(spinUntil([&] { return f.notConnected(); }));
        QCOMPARE(f.statusLines().mid(2), (QStringList{"127.0.0.1" + kDisconnected, errorLine(10053)}));
        QVERIFY(f.exceptions.isEmpty());
    }

    void aFailedSendClosesTheConnection()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        connectTo(f, server);
        f.window->Memo1->Clear();
        platform().failNext(net::Call::Send, wsa::ECONNRESET_);
        f.window->gonder("x");
        // The error line, the disconnected line, then the echo after them (on a line of its own,
        // since the first status line in an empty pane ends in a line break).
        QCOMPARE(f.statusLines(), (QStringList{errorLine(10054), "127.0.0.1" + kDisconnected, "x"}));
        QVERIFY(f.notConnected());
        QVERIFY(f.exceptions.isEmpty());
    }

    void destroyedWhileConnected()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        connectTo(f, server);
        QString lastText;
        TfMain *w = f.window.get();
        w->CS1.OnDisconnect = [&, w](TCustomSocket *s, TCustomWinSocket *sock) {
            w->CS1Disconnect(s, sock);
            lastText = MainWindowFixture::shown(w->Memo1);
        };
        f.window.reset();
        const QStringList lastLines = lastText.trimmed().split(u'\n');
        QCOMPARE(lastLines.last(), "127.0.0.1" + kDisconnected);
        QVERIFY(server.waitForClientClosed());
    }

    void portTexts_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("leading blank") << " %1";
        QTest::newRow("plus") << "+%1";
        QTest::newRow("dollar hex") << "$%1";
        QTest::newRow("0x hex") << "0x%1";
    }
    void portTexts()
    {
        QFETCH(QString, form);
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        const QString number = form.contains(u'$') || form.contains(u'x') ? QString::number(server.port(), 16)
                                                                           : QString::number(server.port());
        const QByteArray text = QString(form).replace(QLatin1String("%1"), number).toLatin1();
        f.window->cmb2->SetText(text);
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QVERIFY(server.waitForClient());
        QVERIFY(f.settingsFile().contains("cmb2=" + text + "\r\n"));
    }

    void portTextsRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("trailing blank") << QByteArray("9988 ");
        QTest::newRow("empty") << QByteArray("");
    }
    void portTextsRefused()
    {
        QFETCH(QByteArray, text);
        MainWindowFixture f;
        f.open();
        const QByteArray before = f.settingsFile();
        f.window->cmb1->SetText("elsewhere");
        f.window->cmb2->SetText(text);
        f.window->btnbaglan->click();
        QCOMPARE(f.exceptions, QStringList{QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text))});
        QCOMPARE(f.settingsFile(), before);
        QVERIFY(f.statusLines().isEmpty());
        QCOMPARE(platform().openSocketCount(), 0);
    }

    void hostSpellingKeptAcrossACaseOnlyChange()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        connectTo(f, server, "LocalHost");
        f.window->btnkes->click();
        f.window->Memo1->Clear();
        connectTo(f, server, "LOCALHOST");
        QCOMPARE(f.statusLines(), (QStringList{"LocalHost" + kConnecting, "LocalHost" + kConnected}));
        // Editing the host box while connected changes nothing until the next press.
        f.window->cmb1->SetText("127.0.0.1");
        f.window->btnkes->click();
        QCOMPARE(f.statusLines().last(), "LocalHost" + kDisconnected);
    }

    void statusLinesIgnoreTheLineCap()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.open();
        f.window->Memo1->SetText(QByteArray("x\r\n").repeated(10005));
        connectTo(f, server);
        QCOMPARE(f.window->Memo1->LineCount(), 10007);
    }

    void guardRefusesWithoutAConnection()
    {
        MainWindowFixture f;
        f.open();
        ModalAnswerer answer;
        QVERIFY(!f.window->kontrol());
        QCOMPARE(answer.seen(), 1);
        QCOMPARE(answer.texts, QStringList{"Öncelikle Port Bağlantısını Yapmalısınız."});
    }

    void settingsThatCannotBeWritten()
    {
        MainWindowFixture f;
        QVERIFY(QDir().mkpath(f.settingsPath()));
        f.open();
        QCOMPARE(f.exceptions, QStringList{"Unable to write to " + f.settingsPath()});
        QCOMPARE(f.window->cmb1->Text(), QByteArray("127.0.0.1"));
        QCOMPARE(f.window->cmb2->Text(), QByteArray("9988"));
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"

// The capture file, read back by tshark (where it is installed) and by a reader of our own
// (everywhere): the real main window and socket against a loopback peer, a Modbus/TCP exchange
// typed with escapes, resets and several connections.

#include "app/records.h"
#include "net/platform.h"
#include "net/wsaerrors.h"
#include "tests/record/capturereader.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"

#include <QCheckBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

struct Tshark {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestCapture : public QObject {
    Q_OBJECT

    QString tshark;
    std::unique_ptr<LoopbackServer> server;
    std::unique_ptr<MainWindowFixture> f;
    std::unique_ptr<Records> records;
    QString capturePath;

    TfMain &w() { return *f->window; }

    Tshark run(const QStringList &args)
    {
        QProcess p;
        p.start(tshark, QStringList{"-r", capturePath} + args);
        p.waitForFinished(60000);
        Tshark r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                 p.readAllStandardError()};
        // Said whenever tshark runs as root, which the tests may.
        QStringList errLines;
        for (const QByteArray &line : r.err.split('\n'))
            if (!line.isEmpty() && !line.startsWith("Running as user \"root\""))
                errLines << QString::fromUtf8(line);
        r.err = errLines.join(u'\n').toUtf8();
        return r;
    }
    // The rows of some fields, one list per packet.
    QList<QByteArrayList> fields(const QStringList &names, const QString &filter = {},
                                 const QStringList &extra = {})
    {
        QStringList args = extra + QStringList{"-T", "fields", "-E", "separator=|"};
        for (const QString &n : names)
            args << "-e" << n;
        if (!filter.isEmpty())
            args << "-Y" << filter;
        const Tshark r = run(args);
        [&] { QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), r.err.constData()); }();
        QList<QByteArrayList> rows;
        for (const QByteArray &line : r.out.split('\n'))
            if (!line.isEmpty())
                rows << line.split('|');
        return rows;
    }
    // The bytes of one TCP stream in each direction, as "Follow TCP stream" gives them.
    QPair<QByteArray, QByteArray> follow(int stream)
    {
        const Tshark r = run({"-q", "-z", QStringLiteral("follow,tcp,raw,%1").arg(stream)});
        QByteArray fromClient, fromServer;
        for (const QByteArray &line : r.out.split('\n')) {
            if (line.startsWith('\t'))
                fromServer += QByteArray::fromHex(line.trimmed());
            else if (!line.isEmpty() && !line.startsWith('=') && !line.contains(':'))
                fromClient += QByteArray::fromHex(line.trimmed());
        }
        return {fromClient, fromServer};
    }

    // Nothing the analyser takes for a fault (retransmissions, unseen segments, full windows,
    // malformed packets).
    void noWarnings(const QStringList &options = {})
    {
        const Tshark expert = run(options + QStringList{"-q", "-z", "expert,warn"});
        QCOMPARE(expert.exitCode, 0);
        QVERIFY2(!expert.out.contains("Warns") && !expert.out.contains("Errors"), expert.out.constData());
    }

    // The file as our reader sees it: well formed, every checksum right.
    Capture read()
    {
        const Capture c = capturereader::read(capturePath);
        [&] {
            QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
            QCOMPARE(c.linkType, quint16(101));
            QCOMPARE(c.application, QByteArray(QCoreApplication::applicationName().toUtf8() + ' ' +
                                               QCoreApplication::applicationVersion().toUtf8()));
            for (const CapturedSegment &seg : c.segments)
                QVERIFY(seg.checksumsGood);
        }();
        return c;
    }

    void connect()
    {
        w().cmb2->SetText(server->portText());
        w().btnbaglan->click();
        QVERIFY(spinUntil([&] { return f->connected(); }));
    }
    // Types text into the send box and presses the send button, without CR LF.
    void type(const QByteArray &text)
    {
        w().ch1->setChecked(false);
        w().Edit1->SetText(text);
        w().btngonder->click();
    }
    // Ends the run's records: the file is complete.
    void finish() { records.reset(); }

private slots:
    void initTestCase()
    {
        // Installed by scripts/install-deps.sh; a Windows build under Wine cannot run it, and
        // is checked by the reader alone.
        tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
#ifndef Q_OS_WIN
        QVERIFY2(!tshark.isEmpty(), "tshark is not installed (scripts/install-deps.sh installs it)");
#endif
    }
    void init()
    {
        server = std::make_unique<LoopbackServer>();
        f = std::make_unique<MainWindowFixture>();
        f->open();
        capturePath = f->dir.filePath(QStringLiteral("run.pcapng"));
        records = std::make_unique<Records>(w(), capturePath, QString());
    }
    void cleanup()
    {
        records.reset();
        f.reset();
        server.reset();
    }

    void modbusRequestAndReplyAreDissectedAndFollowed()
    {
        connect();
        QVERIFY(server->waitForClient());
        // Read holding registers 107..109 of unit 17, typed as escapes.
        type("#000#001#000#000#000#006#017#003#000#107#000#003");
        const QByteArray request = hex("000100000006110300 6b0003");
        QVERIFY(server->waitForReceived(request.size()));
        QCOMPARE(server->received(), request);
        const QByteArray reply = hex("000100000009110306022b00000064");
        server->send(reply);
        QVERIFY(spinUntil([&] { return !w().Memo3->Text().isEmpty(); }));
        server->closeClient();
        QVERIFY(spinUntil([&] { return f->notConnected(); }));
        finish();

        // The handshake, the request and the reply, FIN from the peer and FIN from here.
        const QList<Capture::Stream> streams = read().streams();
        QCOMPARE(streams.size(), 1);
        QCOMPARE(streams[0].serverPort, server->port());
        QCOMPARE(streams[0].fromClient, request);
        QCOMPARE(streams[0].fromServer, reply);
        QCOMPARE(streams[0].flags, QStringLiteral("S as A AP ap af AF"));
        if (tshark.isEmpty())
            return;

        const Tshark all = run({});
        QVERIFY2(all.exitCode == 0 && all.err.isEmpty(), all.err.constData());
        // The peer's port is Modbus/TCP's, as 502 is by default.
        const QString modbusPort = QStringLiteral("mbtcp.tcp.port:%1").arg(server->port());
        const auto modbus = fields({"mbtcp.trans_id", "mbtcp.unit_id", "modbus.func_code", "modbus.reference_num",
                                    "modbus.word_cnt", "modbus.regval_uint16", "_ws.expert.message"},
                                   "mbtcp", {"-o", modbusPort});
        QCOMPARE(modbus.size(), 2);
        QCOMPARE(modbus[0], (QByteArrayList{"1", "17", "3", "107", "3", "", ""}));
        QCOMPARE(modbus[1], (QByteArrayList{"1", "17", "3", "", "", "555,0,100", ""}));

        const auto [fromClient, fromServer] = follow(0);
        QCOMPARE(fromClient, request);
        QCOMPARE(fromServer, reply);

        const auto flags = fields({"tcp.srcport", "tcp.flags.str", "tcp.checksum.status", "ip.checksum.status"}, {},
                                  {"-o", "tcp.check_checksum:TRUE", "-o", "ip.check_checksum:TRUE"});
        QStringList seen;
        for (const QByteArrayList &row : flags) {
            QCOMPARE(row.value(2), QByteArray("1")); // good (0 bad, 2 not checked)
            QCOMPARE(row.value(3), QByteArray("1"));
            const bool fromPeer = row.value(0).toUShort() == server->port();
            seen << (fromPeer ? "peer " : "here ") + QString::fromUtf8(row.value(1)).remove(u'·');
        }
        QCOMPARE(seen, (QStringList{"here S", "peer AS", "here A", "here AP", "peer AP", "peer AF", "here AF"}));
        noWarnings({"-o", modbusPort});
    }

    void theFileSaysWhichProgramAndWhichHostAndPort()
    {
        w().cmb1->SetText("localhost");
        connect();
        finish();
        const Capture c = read();
        QCOMPARE(c.segments.size(), 3); // the handshake; the record ends with the connection open
        const QByteArray comment = c.segments[0].comment;
        QVERIFY2(comment.startsWith(QCoreApplication::applicationName().toUtf8() + ' ') &&
                     comment.contains(": connection to localhost port " + server->portText() + ", 127.0.0.1:"),
                 comment.constData());
        if (tshark.isEmpty())
            return;
        const auto comments = fields({"frame.comment"}, "tcp.flags.syn==1 && tcp.flags.ack==0");
        QCOMPARE(comments, (QList<QByteArrayList>{{comment}}));
        QProcess capinfos;
        capinfos.start(QStandardPaths::findExecutable(QStringLiteral("capinfos")), {capturePath});
        QVERIFY(capinfos.waitForFinished(30000));
        QCOMPARE(capinfos.exitCode(), 0);
        const QByteArray out = capinfos.readAllStandardOutput();
        QVERIFY2(out.contains("Capture application: " + c.application), out.constData());
    }

    void aResetByThePeerShowsAsRst()
    {
        SKIP_UNLESS_RESETS_ARE_REPORTED();
        connect();
        QVERIFY(server->waitForClient());
        type("ping");
        QVERIFY(server->waitForReceived(4));
        server->resetClient();
        QVERIFY(spinUntil([&] { return f->statusLines().join(u'\n').contains(QLatin1String("10054")); }));
        finish();
        const Capture c = read();
        QCOMPARE(c.streams().value(0).flags, QStringLiteral("S as A AP ar")); // nothing after the reset
        QVERIFY2(c.segments.last().comment.contains("10054"), c.segments.last().comment.constData());
        if (tshark.isEmpty())
            return;
        const auto resets = fields({"tcp.srcport", "frame.comment"}, "tcp.flags.reset==1");
        QCOMPARE(resets.size(), 1);
        QCOMPARE(resets[0].value(0).toUShort(), server->port());
    }

    // A send that fails here (the connection aborted on this side) ends the stream with an RST
    // from this side, and the window's closing after it adds nothing.
    void anErrorHereShowsAsRstFromHere()
    {
        connect();
        QVERIFY(server->waitForClient());
        type("ping");
        QVERIFY(server->waitForReceived(4));
        net::platform().failNext(net::Call::Send, wsa::ECONNABORTED_);
        type("lost");
        QVERIFY(spinUntil([&] { return f->notConnected(); }));
        net::platform().clearFaults();
        finish();
        const Capture c = read();
        QCOMPARE(c.streams().value(0).flags, QStringLiteral("S as A AP AR"));
        QCOMPARE(c.streams().value(0).fromClient, QByteArray("ping"));
        QVERIFY2(c.segments.last().comment.contains("10053"), c.segments.last().comment.constData());
        if (tshark.isEmpty())
            return;
        const auto resets = fields({"tcp.srcport"}, "tcp.flags.reset==1");
        QCOMPARE(resets.size(), 1);
        QVERIFY(resets[0].value(0).toUShort() != server->port());
    }

    void twoConnectionsAreTwoStreams()
    {
        connect();
        QVERIFY(server->waitForClient(1));
        type("first");
        QVERIFY(server->waitForReceived(5));
        server->send("one");
        QVERIFY(spinUntil([&] { return w().Memo2->Text() == "one"; }));
        w().btnkes->click();
        QVERIFY(f->notConnected());
        connect();
        QVERIFY(server->waitForClient(2));
        type("second");
        QVERIFY(server->waitForReceived(11));
        server->send("two", 1);
        QVERIFY(spinUntil([&] { return w().Memo2->Text() == "onetwo"; }));
        w().btnkes->click();
        finish();

        const QList<Capture::Stream> streams = read().streams();
        QCOMPARE(streams.size(), 2);
        QVERIFY(streams[0].clientPort != streams[1].clientPort);
        QCOMPARE(streams[0].fromClient + '|' + streams[0].fromServer, QByteArray("first|one"));
        QCOMPARE(streams[1].fromClient + '|' + streams[1].fromServer, QByteArray("second|two"));
        QCOMPARE(streams[1].flags, QStringLiteral("S as A AP ap AF"));
        if (tshark.isEmpty())
            return;
        const auto synStreams = fields({"tcp.stream"}, "tcp.flags.syn==1 && tcp.flags.ack==0");
        QCOMPARE(synStreams, (QList<QByteArrayList>{{"0"}, {"1"}}));
        QCOMPARE(follow(0), (QPair<QByteArray, QByteArray>("first", "one")));
        QCOMPARE(follow(1), (QPair<QByteArray, QByteArray>("second", "two")));
        noWarnings();
    }

    void aLargeSendAndArrivalAreSplitIntoPacketsAndFollowedWhole()
    {
        connect();
        QVERIFY(server->waitForClient());
        // Letters only: no escapes, no line breaks, so the text pane holds it as it came.
        QByteArray big(300000, 'A');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char('A' + (i * 7 + i / 26) % 26);
        type(big);
        QVERIFY(server->waitForReceived(big.size()));
        server->send(big);
        QVERIFY(spinUntil([&] { return w().Memo2->Text().size() >= big.size(); }, 20000));
        w().btnkes->click();
        finish();
        const Capture c = read();
        const QList<Capture::Stream> streams = c.streams();
        QCOMPARE(streams.size(), 1);
        QVERIFY(!streams[0].flags.contains(QLatin1String("gap")));
        QVERIFY(streams[0].fromClient == big);
        QVERIFY(streams[0].fromServer == big);
        for (const CapturedSegment &seg : c.segments)
            QVERIFY(seg.payload.size() <= 65535 - 40);
        if (tshark.isEmpty())
            return;
        const auto [fromClient, fromServer] = follow(0);
        QVERIFY(fromClient == big);
        QVERIFY(fromServer == big);
        noWarnings();
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"

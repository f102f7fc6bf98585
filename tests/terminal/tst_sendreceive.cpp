#include "net/platform.h"
#include "net/wsaerrors.h"
#include "ui/decimaltext.h"
#include "terminal/escapes.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
} // namespace

class TestSendReceive : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackServer> server;
    std::unique_ptr<MainWindowFixture> f;

    TfMain &w() { return *f->window; }

    // Sends what the server should see and waits for it.
    QByteArray sentBy(const std::function<void()> &action)
    {
        const qsizetype before = server->received().size();
        action();
        spinUntil([&] { return server->received().size() > before; }, 2000);
        return server->received().mid(before);
    }
    // Pushes bytes from the server and waits until the window has shown them as one arrival.
    int arrivals = 0;
    void arrive(const QByteArray &data)
    {
        const int before = arrivals;
        server->send(data);
        QVERIFY(spinUntil([&] { return arrivals > before; }));
    }

private slots:
    void init()
    {
        server = std::make_unique<LoopbackServer>();
        f = std::make_unique<MainWindowFixture>();
        f->open();
        w().cmb2->SetText(server->portText());
        w().btnbaglan->click();
        QVERIFY(spinUntil([&] { return f->connected(); }));
        QVERIFY(server->waitForClient());
        w().Memo1->Clear();
        arrivals = 0;
        w().CS1.OnRead = [this](TCustomSocket *s, TCustomWinSocket *sock) {
            w().CS1Read(s, sock);
            ++arrivals;
        };
    }
    void cleanup()
    {
        f.reset();
        server.reset();
        net::platform().clearFaults();
    }

    void escapes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("#065") << QByteArray("#065") << QByteArray("A");
        QTest::newRow("#256") << QByteArray("#256") << bytes({0});
        QTest::newRow("#300") << QByteArray("#300") << bytes({44});
        QTest::newRow("#999") << QByteArray("#999") << bytes({231});
        QTest::newRow("#-12") << QByteArray("#-12") << bytes({244});
        QTest::newRow("#+12") << QByteArray("#+12") << bytes({12});
        QTest::newRow("#$41") << QByteArray("#$41") << QByteArray("A");
        QTest::newRow("#x41") << QByteArray("#x41") << QByteArray("A");
        QTest::newRow("#X41") << QByteArray("#X41") << QByteArray("A");
        QTest::newRow("#$ff") << QByteArray("#$ff") << bytes({255});
        QTest::newRow("#xFF") << QByteArray("#xFF") << bytes({255});
        QTest::newRow("#0x7") << QByteArray("#0x7") << bytes({7});
        QTest::newRow("#-$1") << QByteArray("#-$1") << bytes({255});
        QTest::newRow("#-01") << QByteArray("#-01") << bytes({255});
        QTest::newRow("# 65") << QByteArray("# 65") << QByteArray("A");
        QTest::newRow("#  5") << QByteArray("#  5") << bytes({5});
        QTest::newRow("# -1") << QByteArray("# -1") << bytes({255});
        QTest::newRow("# $F") << QByteArray("# $F") << bytes({15});
        QTest::newRow("#65 at the end") << QByteArray("x#65") << QByteArray("xA");
        QTest::newRow("#6 at the end") << QByteArray("#6") << bytes({6});
        QTest::newRow("#$ at the end") << QByteArray("#$") << QByteArray("$");
        QTest::newRow("#abc") << QByteArray("#abc") << QByteArray("abc");
        QTest::newRow("#12a") << QByteArray("#12a") << QByteArray("12a");
        QTest::newRow("#65 and a letter") << QByteArray("#65b") << QByteArray("65b");
        QTest::newRow("#65 and a blank") << QByteArray("#65 ") << QByteArray("65 ");
        QTest::newRow("three blanks") << QByteArray("#   ") << QByteArray("   ");
        QTest::newRow("a # that ends the text") << QByteArray("ab#") << QByteArray("ab");
        QTest::newRow("##065") << QByteArray("##065") << QByteArray("A");
        QTest::newRow("#035 gives a plain #") << QByteArray("#035065") << QByteArray("#065");
        QTest::newRow("50#%") << QByteArray("50#%") << QByteArray("50%");
        QTest::newRow("#65 before CR LF") << QByteArray("#65\r\n") << QByteArray("65\r\n");
        QTest::newRow("#065 before CR LF") << QByteArray("#065\r\n") << QByteArray("A\r\n");
        QTest::newRow("#010") << QByteArray("#010") << QByteArray("\n");
        QTest::newRow("high bytes pass") << QByteArray("\xFE\xF0") << QByteArray("\xFE\xF0");
    }
    void escapes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, sent);
        QCOMPARE(decodeEscapes(text), sent);
    }

    void decimalLines()
    {
        QCOMPARE(decimalLine("Hi"), QByteArray("72-105-"));
        QCOMPARE(decimalLine({}), QByteArray());
        QCOMPARE(decimalLine(bytes({0, 9, 10, 99, 100, 128, 255})), QByteArray("0-9-10-99-100-128-255-"));
        QByteArray all, expected;
        for (int v = 0; v < 256; ++v) {
            all += char(v);
            expected += QByteArray::number(v) + '-';
        }
        QByteArray many; // long enough for every way the length is counted
        for (int i = 0; i < 9000; ++i)
            many += char((i * 7919) % 256);
        QCOMPARE(decimalLength(many), decimalLine(many).size());
        QCOMPARE(decimalLength(many.mid(3, 4099)), decimalLine(many.mid(3, 4099)).size());
        for (qsizetype n = 0; n <= all.size(); ++n) { // every ending: nothing past 4 bytes a byte
            const QByteArray part = all.left(n);
            QByteArray out(4 * n + 4, '#');
            const qsizetype length = writeDecimalLine(part, out.data());
            QCOMPARE(length, decimalLength(part));
            QCOMPARE(out.left(length), expected.left(length));
            QCOMPARE(out.mid(4 * n), QByteArray("####"));
        }
    }

    void sendBoxEndToEnd_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<bool>("crlf");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("pane");
        QTest::newRow("ABC#013") << QByteArray("ABC#013") << true << bytes({65, 66, 67, 13, 13, 10}) << QByteArray("ABC\r\n\r\n");
        QTest::newRow("A#000B") << QByteArray("A#000B") << true << bytes({65, 0, 66, 13, 10}) << QByteArray("A");
        QTest::newRow("empty with CR LF") << QByteArray() << true << QByteArray("\r\n") << QByteArray("\r\n");
        QTest::newRow("#65 at the end with CR LF") << QByteArray("#65") << true << bytes({54, 53, 13, 10}) << QByteArray("65\r\n");
        QTest::newRow("#065 at the end with CR LF") << QByteArray("#065") << true << QByteArray("A\r\n") << QByteArray("A\r\n");
        QTest::newRow("#010") << QByteArray("#010") << false << QByteArray("\n") << QByteArray("\r\n");
        QTest::newRow("50#%") << QByteArray("50#%") << false << QByteArray("50%") << QByteArray("50%");
        QTest::newRow("every high byte") << QByteArray("\x80\xFE\xFF") << false << QByteArray("\x80\xFE\xFF") << QByteArray("\x80\xFE\xFF");
    }
    void sendBoxEndToEnd()
    {
        QFETCH(QByteArray, typed);
        QFETCH(bool, crlf);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, pane);
        w().Edit1->SetText(typed);
        w().ch1->setChecked(crlf);
        QCOMPARE(sentBy([&] { w().btngonder->click(); }), sent);
        QCOMPARE(w().Memo1->Text(), pane);
        QCOMPARE(w().Memo1->SelStart(), pane.size()); // caret at the end
        QCOMPARE(w().Edit1->Text(), typed); // the box keeps its text
    }

    void echoContinuesAfterAByteZeroAndAfterAStatusLine()
    {
        w().ch1->setChecked(true);
        w().Edit1->SetText("A#000B");
        w().btngonder->click();
        w().Edit1->SetText("C");
        w().btngonder->click();
        QCOMPARE(w().Memo1->Text(), QByteArray("AC\r\n"));
        w().Memo1->SetText("ab");
        w().Memo1->AddLine("line"); // after an unfinished line: a break, then the line without one
        w().gonder("x");
        QCOMPARE(w().Memo1->Text(), QByteArray("ab\r\nlinex"));
    }

    void emptySendWithoutCrLfChangesNothingButTheCaret()
    {
        w().Memo1->SetText("ab");
        w().Memo1->Select(0, 1);
        w().ch1->setChecked(false);
        w().Edit1->SetText("");
        w().btngonder->click();
        QCOMPARE(w().Memo1->Text(), QByteArray("ab"));
        QCOMPARE(w().Memo1->SelStart(), 2);
        QCOMPARE(w().Memo1->SelLength(), 0);
    }

    void lineCapClearsTheSentPane()
    {
        w().Memo1->SetText(QByteArray("x\r\n").repeated(10000));
        w().gonder("y\r\n"); // 10001 lines: cleared, the new text included
        QCOMPARE(w().Memo1->Text(), QByteArray());
        w().gonder("z");
        QCOMPARE(w().Memo1->Text(), QByteArray("z"));
    }

    void enterInTheSendBox()
    {
        w().ch1->setChecked(true);
        w().Edit1->setFocus();
        w().Edit1->SetText("hi");
        w().Edit1->setCursorPosition(2);
        const QByteArray sent = sentBy([&] {
            QTest::keyPress(w().Edit1, Qt::Key_Return);
            QCOMPARE(w().Edit1->Text(), QByteArray("hi")); // Enter never enters the box
            // Held down: auto-repeated presses and releases send nothing.
            QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
            QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
            QApplication::sendEvent(w().Edit1, &repeatPress);
            QApplication::sendEvent(w().Edit1, &repeatRelease);
            QTest::keyRelease(w().Edit1, Qt::Key_Return, Qt::ShiftModifier); // modifiers are not looked at
        });
        QCOMPARE(sent, QByteArray("hi\r\n"));
        QCOMPARE(w().Memo1->Text(), QByteArray("hi\r\n"));
    }

    void guardPopsOncePerKeyReleaseWhileNotConnected()
    {
        w().btnkes->click();
        const QByteArray paneBefore = w().Memo1->Text();
        ModalAnswerer answer;
        w().Edit1->setFocus();
        QTest::keyClicks(w().Edit1, "abc");
        QVERIFY(spinUntil([&] { return answer.seen() == 3; })); // the last release settles first
        QCOMPARE(answer.texts.first(), QStringLiteral("Öncelikle Port Bağlantısını Yapmalısınız."));
        QCOMPARE(w().Edit1->Text(), QByteArray("abc"));
        w().btngonder->click(); // and the button: nothing is sent or echoed
        QCOMPARE(answer.seen(), 4);
        QCOMPARE(w().Memo1->Text(), paneBefore);
        QCOMPARE(server->received(), QByteArray());
    }

    // Key sequences as X11 delivers them. A held key comes as release/press pairs with equal
    // timestamps, and under load their auto-repeat flag is missing.
    void heldEnterSendsOnce_data()
    {
        QTest::addColumn<int>("pairs");
        QTest::addColumn<bool>("flagged");
        QTest::newRow("tapped") << 0 << false;
        QTest::newRow("held, pairs flagged as auto-repeat") << 20 << true;
        QTest::newRow("held, the flag lost under load") << 20 << false;
    }
    void heldEnterSendsOnce()
    {
        QFETCH(int, pairs);
        QFETCH(bool, flagged);
        w().ch1->setChecked(false);
        w().Edit1->setFocus();
        w().Edit1->SetText("h");
        const auto key = [&](QEvent::Type type, quint64 time, bool repeat) {
            QKeyEvent e(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
            e.setTimestamp(time);
            QApplication::sendEvent(w().Edit1, &e);
        };
        quint64 time = 1000;
        key(QEvent::KeyPress, time, false);
        for (int i = 0; i < pairs; ++i) {
            time += 33;
            key(QEvent::KeyRelease, time, flagged);
            key(QEvent::KeyPress, time, flagged);
        }
        key(QEvent::KeyRelease, time + 40, false);
        QVERIFY(server->waitForReceived(1));
        // Then a tap of another key and one more Enter: each is a release of its own.
        QTest::keyClick(w().Edit1, Qt::Key_End);
        key(QEvent::KeyPress, time + 500, false);
        key(QEvent::KeyRelease, time + 560, false);
        QVERIFY(server->waitForReceived(2));
        QVERIFY(spinUntil([&] { return w().Memo1->Text().size() >= 2; }));
        QCOMPARE(server->received(), QByteArray("hh"));
        QCOMPARE(w().Memo1->Text(), QByteArray("hh"));
    }

    // The send box holds and sends a megabyte whole; a pasted line break ends what is pasted.
    void aMegabytePasteIsSentWhole()
    {
        QByteArray text(1 << 20, 'm');
        text[0] = 'A';
        text[text.size() - 1] = 'Z';
        QGuiApplication::clipboard()->setText(cp1254::toUnicode(text));
        w().Edit1->clear();
        w().Edit1->paste();
        QCOMPARE(w().Edit1->Text().size(), text.size());
        w().ch1->setChecked(true);
        w().btngonder->click();
        QVERIFY(server->waitForReceived(text.size() + 2));
        QVERIFY(server->received() == text + "\r\n");
    }

    void aSendAfterAResetByThePeer()
    {
        SKIP_UNLESS_RESETS_ARE_REPORTED();
        server->resetClient();
        const QString resetLine = QStringLiteral("Hata Oluştu. Hata Kodu:10054");
        QVERIFY(spinUntil([&] { return f->statusLines().contains(resetLine); }));
        QVERIFY(f->connected());
        w().Memo1->Clear();
        w().gonder("x");
        // The error line, then the disconnected line; the text is echoed as always.
        QCOMPARE(f->statusLines(), (QStringList{resetLine, QStringLiteral("127.0.0.1 Bağlantı Kesildi."), "x"}));
        QVERIFY(f->notConnected());
        QVERIFY(f->exceptions.isEmpty());
    }

    // A peer that stops reading: every send is echoed at once and reaches the peer whole, in
    // order, when it reads again.
    void aSlowReaderGetsEveryByte()
    {
        server->setReading(false);
        QByteArray expected;
        for (int i = 0; i < 200; ++i) {
            const QByteArray text = QByteArray(32000, char('a' + i % 26)) + "\r\n";
            w().gonder(text);
            expected += text;
        }
        QCOMPARE(w().Memo1->Text().size(), expected.size());
        QVERIFY(w().CS1.Socket()->QueuedBytes() > 0);
        server->setReading(true);
        QVERIFY(server->waitForReceived(expected.size()));
        QCOMPARE(server->received().size(), expected.size());
        QVERIFY(server->received() == expected);
        QVERIFY(f->exceptions.isEmpty());
    }

    // A send that would pass the outgoing queue's bound is refused whole and not echoed.
    void aSendPastTheQueueBoundIsRefused()
    {
        server->setReading(false);
        const QByteArray big(16 << 20, 'b');
        while (w().CS1.Socket()->QueuedBytes() + big.size() <= TCustomWinSocket::kMaxQueued)
            w().gonder(big);
        w().Memo1->Clear();
        f->exceptions.clear();
        w().Edit1->SetText(big);
        w().ch1->setChecked(false);
        w().btngonder->click(); // through the guard, as a user's click
        QCOMPARE(f->exceptions.size(), 1);
        QVERIFY(f->exceptions.first().startsWith(QStringLiteral("Can't send %1 bytes").arg(big.size())));
        QCOMPARE(w().Memo1->Text(), QByteArray());
        QVERIFY(f->connected());
    }

    void receivedDisplay_data()
    {
        QTest::addColumn<QList<QByteArray>>("arrivals");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("decimal");
        using L = QList<QByteArray>;
        QTest::newRow("Hi CR LF") << L{bytes({72, 105, 13, 10})} << QByteArray("Hi\r\n") << QByteArray("72-105-13-10-\r\n");
        QTest::newRow("A 0 B then C") << L{bytes({65, 0, 66}), "C"} << QByteArray("AC") << QByteArray("65-0-66-\r\n67-\r\n");
        QTest::newRow("CR then LF") << L{"A\r", "\nB"} << QByteArray("A\r\n\r\nB") << QByteArray("65-13-\r\n10-66-\r\n");
        QTest::newRow("ab then cd") << L{"ab", "cd"} << QByteArray("abcd") << QByteArray("97-98-\r\n99-100-\r\n");
        QTest::newRow("LF CR") << L{"\n\r"} << QByteArray("\r\n\r\n") << QByteArray("10-13-\r\n");
        QTest::newRow("high bytes") << L{bytes({128, 0xFE, 255})} << QByteArray("\x80\xFE\xFF") << QByteArray("128-254-255-\r\n");
    }
    void receivedDisplay()
    {
        QFETCH(QList<QByteArray>, arrivals);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, decimal);
        for (const QByteArray &a : arrivals)
            arrive(a);
        QCOMPARE(w().Memo2->Text(), text);
        QCOMPARE(w().Memo3->Text(), decimal);
        QCOMPARE(w().Memo2->SelStart(), text.size());
        QCOMPARE(w().Memo3->SelStart(), decimal.size());
    }

    void highBytesShowAsTheCodePage()
    {
        arrive("\xDE\xFE\xD0\xF0\xDD\xFD");
        QCOMPARE(MainWindowFixture::shown(w().Memo2), QStringLiteral("ŞşĞğİı"));
    }

    void anArrivalWithNothingWaiting()
    {
        arrive("ab");
        w().CS1Read(&w().CS1, w().CS1.Socket());
        QCOMPARE(w().Memo2->Text(), QByteArray("ab"));
        QCOMPARE(w().Memo3->Text(), QByteArray("97-98-\r\n\r\n"));
    }

    void eachPaneHasItsOwnLineCap()
    {
        w().Memo2->SetText(QByteArray("t\r\n").repeated(10000));
        for (int i = 0; i < 9999; ++i)
            w().Memo3->AddDecimalLine("d");
        arrive("z\n"); // the text pane passes 10000 lines, the decimal pane reaches 10000
        QCOMPARE(w().Memo2->Text(), QByteArray());
        QCOMPARE(w().Memo3->LineCount(), 10000);
        arrive("y"); // now the decimal pane passes it
        QCOMPARE(w().Memo2->Text(), QByteArray("y"));
        QCOMPARE(w().Memo3->Text(), QByteArray());
    }

    void aResetInTheMiddleOfAFlood()
    {
        server->send(QByteArray(1 << 20, 'f'));
        SKIP_UNLESS_RESETS_ARE_REPORTED();
        server->resetClient();
        QVERIFY(spinUntil([&] { return f->statusLines().contains(QStringLiteral("Hata Oluştu. Hata Kodu:10054")); }));
        QVERIFY(f->connected()); // as a reset always leaves it
        QVERIFY(f->exceptions.isEmpty());
    }
};

QTEST_MAIN(TestSendReceive)
#include "tst_sendreceive.moc"

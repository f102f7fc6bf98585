#include "ui/decimallines.h"
#include "ui/decimaltext.h"
#include "ui/panetext.h"

#include <QTest>

namespace {
// The text a sequence of operations leaves, written with '|' for each appended chunk.
struct Op {
    char kind; // 's' set, 'a' append, 'l' add line, 'c' clear
    QByteArray bytes;
};
} // namespace

class TestPaneText : public QObject {
    Q_OBJECT
private slots:
    void operations_data()
    {
        QTest::addColumn<QList<QByteArray>>("ops");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("lines");
        using L = QList<QByteArray>;
        QTest::newRow("empty") << L{} << QByteArray() << 0;
        QTest::newRow("set CR LF kept") << L{"sA\r\nB"} << QByteArray("A\r\nB") << 2;
        QTest::newRow("lone CR and LF") << L{"sA\rB\nC"} << QByteArray("A\r\nB\r\nC") << 3;
        QTest::newRow("LF then CR is two") << L{"sA\n\rB"} << QByteArray("A\r\n\r\nB") << 3;
        QTest::newRow("ending in a break") << L{"sA\r\n"} << QByteArray("A\r\n") << 1;
        QTest::newRow("byte 0 cuts") << L{QByteArray("sA\0B", 4)} << QByteArray("A") << 1;
        QTest::newRow("append after a 0 continues after A")
            << L{QByteArray("aA\0B", 4), "aC"} << QByteArray("AC") << 1;
        QTest::newRow("CR at end of one arrival, LF at start of next")
            << L{"aA\r", "a\nB"} << QByteArray("A\r\n\r\nB") << 3;
        QTest::newRow("CR LF split by nothing") << L{"aab", "acd"} << QByteArray("abcd") << 1;
        QTest::newRow("empty append") << L{"aab", "a"} << QByteArray("ab") << 1;
        QTest::newRow("add line to empty") << L{"lx"} << QByteArray("x\r\n") << 1;
        QTest::newRow("add line after unfinished line") << L{"aab", "lx"} << QByteArray("ab\r\nx") << 2;
        QTest::newRow("add line after a break") << L{"aab\r\n", "lx"} << QByteArray("ab\r\nx\r\n") << 2;
        QTest::newRow("echo continues a status line") << L{"aab", "lx", "ay\r\n"} << QByteArray("ab\r\nxy\r\n") << 2;
        QTest::newRow("empty lines") << L{"l", "l"} << QByteArray("\r\n\r\n") << 2;
        QTest::newRow("clear") << L{"aabc", "c", "ad"} << QByteArray("d") << 1;
        QTest::newRow("high bytes unchanged") << L{"a\x80\xFE\xFF"} << QByteArray("\x80\xFE\xFF") << 1;
    }
    void operations()
    {
        QFETCH(QList<QByteArray>, ops);
        QFETCH(QByteArray, text);
        QFETCH(int, lines);
        PaneText pane;
        for (const QByteArray &op : ops) {
            const QByteArray bytes = op.mid(1);
            switch (op.at(0)) {
            case 's': pane.setText(bytes); break;
            case 'a': pane.append(bytes); break;
            case 'l': pane.addLine(bytes); break;
            case 'c': pane.clear(); break;
            }
        }
        QCOMPARE(pane.text(), text);
        QCOMPARE(pane.lineCount(), lines);
        // The line index agrees with the text.
        QCOMPARE(pane.displayLines(), text.count("\r\n") + 1);
        qsizetype at = 0;
        for (qsizetype l = 0; l < pane.displayLines(); ++l) {
            QCOMPARE(pane.lineStart(l), at);
            at += pane.lineLength(l) + 2;
        }
    }

    // An append equals setting the whole text followed by the new bytes, for every split.
    void appendEqualsSetWhole()
    {
        const QByteArray data("a\rb\n\nc\r\r\nd\n\re\r");
        // Text already in normal form, long enough to be scanned sixteen bytes at a time, with
        // breaks and a byte 0 at every place within those sixteen.
        QByteArray normal;
        for (int i = 0; i < 40; ++i)
            normal += QByteArray(i % 17, 'x') + "\r\n";
        QByteArray zeroed = normal;
        zeroed[100] = '\0';
        QByteArray crBeforeZero = normal;
        crBeforeZero[70] = '\r';
        crBeforeZero[71] = '\0';
        for (const QByteArray &whole : {data, normal, zeroed, crBeforeZero, normal + "\r", "\n" + normal})
            for (qsizetype cut = 0; cut <= whole.size(); cut += (whole.size() > 40 ? 7 : 1)) {
                PaneText byAppend, bySet;
                byAppend.append(whole.left(cut));
                byAppend.append(whole.mid(cut));
                // What the pane held (cut at a byte 0, if any) followed by the new bytes.
                bySet.setText(PaneText::normalised(whole.left(cut)) + whole.mid(cut));
                QCOMPARE(byAppend.text(), bySet.text());
                QCOMPARE(byAppend.lineCount(), bySet.lineCount());
                QCOMPARE(byAppend.displayLines(), bySet.displayLines());
                for (qsizetype l = 0; l < bySet.displayLines(); ++l)
                    QCOMPARE(byAppend.lineStart(l), bySet.lineStart(l));
            }
    }

    // The decimal pane's model keeps the received bytes, yet reads exactly as a text model
    // given the same decimal lines as text: after each step of a table of steps, the text, the
    // lines and every range agree.
    void decimalLinesReadAsTheirText_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps"); // "D:" bytes: a decimal line; "C": clear
        QTest::addColumn<qsizetype>("capacity");
        QByteArray every;
        for (int v = 0; v < 256; ++v)
            every += char(v);
        const QByteArray big = every.repeated(5); // past several anchors
        const qsizetype whole = PaneModel::kDefaultCapacity;
        using L = QList<QByteArray>;
        QTest::newRow("one line") << L{"D:" + QByteArray("Hi\r\n")} << whole;
        QTest::newRow("empty lines") << L{"D:", "D:", "D:x"} << whole;
        QTest::newRow("long lines") << L{"D:" + big, "D:" + every, "D:" + big} << whole;
        QTest::newRow("lines across anchors") << L{"D:" + every.left(200), "D:" + every.left(100), "D:" + big} << whole;
        QTest::newRow("cleared and again") << L{"D:" + big, "C", "D:" + every} << whole;
        QTest::newRow("the capacity clears it") << L{"D:" + every, "D:" + every, "D:ab"} << qsizetype(1500);
    }
    void decimalLinesReadAsTheirText()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(qsizetype, capacity);
        DecimalLines kept(capacity);
        PaneText plain(capacity);
        for (const QByteArray &step : steps) {
            const QByteArray arg = step.mid(2);
            if (step.at(0) == 'D') {
                kept.addLine(arg);
                plain.addLine(decimalLine(arg));
            } else {
                kept.clear();
                plain.clear();
            }
            const QByteArray text = plain.text();
            QCOMPARE(kept.text(), text);
            QCOMPARE(kept.size(), text.size());
            QCOMPARE(kept.lineCount(), plain.lineCount());
            QCOMPARE(kept.displayLines(), plain.displayLines());
            for (qsizetype l = 0; l < plain.displayLines(); ++l) {
                QCOMPARE(kept.lineStart(l), plain.lineStart(l));
                QCOMPARE(kept.lineLength(l), plain.lineLength(l));
            }
            QByteArray scratch;
            for (qsizetype from = 0; from < text.size(); from += 1 + from / 3)
                for (qsizetype to : {from, from + 1, from + 7, from + 300, text.size()}) {
                    to = qMin(to, text.size());
                    QCOMPARE(QByteArray(kept.bytes(from, to, scratch), to - from), text.mid(from, to - from));
                    QCOMPARE(kept.lineOf(from), plain.lineOf(from));
                }
        }
    }

    // A set or a clear is counted, so that a view measures again from the start however many
    // changes came between two looks; an append or an unchanged set is not.
    void resetsAreCounted()
    {
        PaneText t;
        quint64 n = t.resets();
        t.append("ab");
        t.addLine("c");
        QCOMPARE(t.resets(), n);
        t.setText("x");
        QCOMPARE(t.resets(), ++n);
        t.setText("x");
        QCOMPARE(t.resets(), n);
        t.clear();
        QCOMPARE(t.resets(), ++n);
        PaneText small(4);
        n = small.resets();
        small.append("abc");
        small.append("de"); // the capacity clears it
        QCOMPARE(small.resets(), n + 1);
        DecimalLines d;
        n = d.resets();
        d.addLine("A");
        QCOMPARE(d.resets(), n);
        d.clear();
        QCOMPARE(d.resets(), n + 1);
    }

    void capacity()
    {
        PaneText pane(10);
        pane.append("12345");
        pane.append("6789"); // 9 bytes: fits
        QCOMPARE(pane.text(), QByteArray("123456789"));
        pane.append("ab"); // 11: cleared, the new text included
        QCOMPARE(pane.text(), QByteArray());
        QCOMPARE(pane.lineCount(), 0);
        pane.addLine("12345678"); // 10 with its break
        QCOMPARE(pane.size(), 10);
        pane.addLine("x"); // cleared like an append
        QCOMPARE(pane.size(), 0);
        pane.append("keep");
        // Only a single text larger than the capacity is refused, and leaves the pane alone.
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, pane.append("12345678901"));
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, pane.setText("12345678901"));
        QCOMPARE(pane.text(), QByteArray("keep"));
        // Line breaks count after normalising: 6 lone LFs are 12 bytes.
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, pane.setText("\n\n\n\n\n\n"));
        try {
            pane.setText(QByteArray(11, 'x'));
            QFAIL("a text larger than the capacity was taken");
        } catch (const EOutOfCapacity &e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("Text exceeds memo capacity"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPaneText)
#include "tst_panetext.moc"

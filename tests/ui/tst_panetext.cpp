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

    // A decimal line written straight into plain text equals the same line added, whatever the
    // pane held before, at the capacity too (where its exact length decides).
    void aLineWrittenInPlaceEqualsAnAddedLine()
    {
        const QByteArray line("72-105-");
        for (const QByteArray &before : {QByteArray(), QByteArray("ab\r\n"), QByteArray("ab"), QByteArray("1234")}) {
            for (qsizetype capacity : {qsizetype(100), qsizetype(13), qsizetype(12)}) {
                PaneText inPlace(capacity), added(capacity);
                inPlace.setKeepDecimalBytes(false);
                inPlace.setText(before);
                added.setText(before);
                inPlace.addDecimalLine("Hi");
                QVERIFY(!inPlace.holdsDecimalBytes());
                added.addLine(line);
                QCOMPARE(inPlace.text(), added.text());
                QCOMPARE(inPlace.displayLines(), added.displayLines());
                for (qsizetype l = 0; l < added.displayLines(); ++l)
                    QCOMPARE(inPlace.lineStart(l), added.lineStart(l));
                QCOMPARE(inPlace.lineCount(), added.lineCount());
            }
        }
    }

    // A pane of decimal lines keeps their bytes, yet reads exactly as the same lines added as
    // text: after each step of a table of steps, the text, the lines and every range agree.
    void decimalLinesReadAsTheirText_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps"); // "D:" bytes: a decimal line; "S:", "A:", "L:": set, append, add line; "C": clear
        QTest::addColumn<qsizetype>("capacity");
        QByteArray every;
        for (int v = 0; v < 256; ++v)
            every += char(v);
        const QByteArray big = every.repeated(5); // past several anchors
        using L = QList<QByteArray>;
        QTest::newRow("one line") << L{"D:" + QByteArray("Hi\r\n")} << PaneText::kDefaultCapacity;
        QTest::newRow("empty lines") << L{"D:", "D:", "D:x"} << PaneText::kDefaultCapacity;
        QTest::newRow("long lines") << L{"D:" + big, "D:" + every, "D:" + big} << PaneText::kDefaultCapacity;
        QTest::newRow("then text is set") << L{"D:" + big, "S:plain\nnext"} << PaneText::kDefaultCapacity;
        QTest::newRow("then appended to") << L{"D:abc", "A:tail\r", "D:z"} << PaneText::kDefaultCapacity;
        QTest::newRow("then a line added") << L{"D:abc", "L:status", "D:q"} << PaneText::kDefaultCapacity;
        QTest::newRow("cleared and again") << L{"D:" + big, "C", "D:" + every} << PaneText::kDefaultCapacity;
        QTest::newRow("after text") << L{"S:x", "D:ab"} << PaneText::kDefaultCapacity;
        QTest::newRow("the capacity clears it") << L{"D:" + every, "D:" + every, "D:ab"} << qsizetype(1500);
    }
    void decimalLinesReadAsTheirText()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(qsizetype, capacity);
        PaneText kept(capacity), plain(capacity);
        plain.setKeepDecimalBytes(false);
        for (const QByteArray &step : steps) {
            const QByteArray arg = step.mid(2);
            for (PaneText *t : {&kept, &plain}) {
                switch (step.at(0)) {
                case 'D': t->addDecimalLine(arg); break;
                case 'S': t->setText(arg); break;
                case 'A': t->append(arg); break;
                case 'L': t->addLine(arg); break;
                case 'C': t->clear(); break;
                }
            }
            QVERIFY(!plain.holdsDecimalBytes());
            const QByteArray text = plain.text();
            QCOMPARE(kept.text(), text);
            QCOMPARE(kept.size(), text.size());
            QCOMPARE(kept.lineCount(), plain.lineCount());
            QCOMPARE(kept.displayLines(), plain.displayLines());
            QCOMPARE(kept.changedFrom(), plain.changedFrom());
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
        if (steps.first().startsWith("D:") && steps.size() == 1)
            QVERIFY(kept.holdsDecimalBytes()); // it did keep the bytes
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
        } catch (const EOutOfCapacity &e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("Text exceeds memo capacity"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPaneText)
#include "tst_panetext.moc"

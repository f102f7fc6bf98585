#include "ui/decimaltext.h"
#include "ui/fonts.h"
#include "ui/pane.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

class TestPane : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fonts::install(); }

    // The two ways of measuring agree with a plain sum of advances: a decimal pane's, from the
    // bytes behind its lines (by counting where all digits are equally wide, from the kept x of
    // its anchors where they are not), and a text pane's, from its chunks, on the same text.
    void decimalAndTextMeasuresAgree_data()
    {
        QTest::addColumn<bool>("equalDigits");
        QTest::newRow("digits equally wide") << true;
        QTest::newRow("digits of different widths") << false;
    }
    void decimalAndTextMeasuresAgree()
    {
        QFETCH(bool, equalDigits);
        Advances advance{};
        for (int b = 0; b < 256; ++b)
            advance[size_t(b)] = 3 + b % 5;
        for (int d = '0'; d <= '9'; ++d)
            advance[size_t(d)] = equalDigits ? 6 : 4 + d % 4;
        QByteArray every;
        for (int v = 0; v < 256; ++v)
            every += char(v);
        const QList<QByteArray> lines{"Hi", QByteArray(), every.repeated(40), every.left(100), every.repeated(3)};
        DecimalLines decimal;
        PaneText text;
        DecimalMeasure byBytes(decimal);
        TextMeasure byText(text);
        byBytes.setAdvances(advance);
        byText.setAdvances(advance);
        for (int round = 0; round < 2; ++round) { // the second after a clear: measured anew
            for (const QByteArray &l : lines) {
                decimal.addLine(l);
                text.addLine(decimalLine(l));
            }
            byBytes.follow();
            byText.follow();
            const QByteArray all = text.text();
            QCOMPARE(decimal.text(), all);
            qint64 widest = 0, x = 0;
            QByteArray scratch;
            for (qsizetype offset = 0; offset <= all.size(); ++offset) {
                const qsizetype line = text.lineOf(offset);
                // The x of an offset: the advances of the bytes before it in its line.
                x = offset == text.lineStart(line) ? 0 : x + advance[static_cast<unsigned char>(all[offset - 1])];
                if (offset == text.lineStart(line) + text.lineLength(line))
                    widest = qMax(widest, x);
                if (offset > text.lineStart(line) + text.lineLength(line))
                    continue; // between CR and LF: no place of the view
                for (PaneMeasure *m : {static_cast<PaneMeasure *>(&byBytes), static_cast<PaneMeasure *>(&byText)}) {
                    qsizetype from = 0;
                    qint64 at = 0;
                    m->startFor(line, offset, &from, &at);
                    QVERIFY(from >= text.lineStart(line) && from <= offset);
                    QVERIFY(offset - from <= m->walkLimit());
                    for (qsizetype i = from; i < offset; ++i)
                        at += advance[static_cast<unsigned char>(all[i])];
                    QCOMPARE(at, x);
                    // From the place found for this x, the offset is reached walking forward.
                    m->startBeforeX(line, x, &from, &at);
                    QVERIFY(from >= text.lineStart(line) && from <= offset && at <= x);
                }
            }
            QCOMPARE(byBytes.widest(), widest);
            QCOMPARE(byText.widest(), widest);
            decimal.clear();
            text.clear();
        }
    }

    // A pane that keeps decimal lines as bytes measures, selects and draws exactly as one that
    // holds their text.
    void decimalBytesShowAsTheirText()
    {
        QByteArray every;
        for (int v = 0; v < 256; ++v)
            every += char(v);
        const QList<QByteArray> lines{every.repeated(3), "Hi", QByteArray(), every.left(40)};
        TDecimalPane kept;
        TTextPane plain;
        for (TPane *p : std::initializer_list<TPane *>{&kept, &plain}) {
            p->resize(300, 120);
            p->show();
        }
        QByteArray text;
        for (const QByteArray &l : lines) {
            kept.AddDecimalLine(l);
            text += decimalLine(l) + "\r\n";
        }
        plain.SetText(text);
        QCOMPARE(kept.Text(), plain.Text());
        QCOMPARE(kept.WidestLine(), plain.WidestLine());
        for (qsizetype offset = 0; offset <= text.size(); offset += 1 + offset / 5)
            QCOMPARE(kept.XOfOffset(offset), plain.XOfOffset(offset));
        kept.Select(5, 900);
        plain.Select(5, 900);
        QCOMPARE(kept.SelectedText(), plain.SelectedText());
        for (const int h : {0, 333, 2000}) { // the same picture wherever the view stands
            for (TPane *p : std::initializer_list<TPane *>{&kept, &plain}) {
                p->FlushView();
                p->horizontalScrollBar()->setValue(h);
            }
            QCOMPARE(kept.viewport()->grab().toImage(), plain.viewport()->grab().toImage());
        }
        // Cleared after it was measured and filled with other lines, then scrolled fully right:
        // measured anew, drawn as the text pane draws them, and a click lands on the same byte.
        kept.Clear();
        const QList<QByteArray> others{QByteArray(1500, char(0xC8)), "\x01"};
        text.clear();
        for (const QByteArray &l : others) {
            kept.AddDecimalLine(l);
            text += decimalLine(l) + "\r\n";
        }
        plain.SetText(text);
        for (TPane *p : std::initializer_list<TPane *>{&kept, &plain}) {
            p->FlushView();
            p->horizontalScrollBar()->setValue(p->horizontalScrollBar()->maximum());
        }
        QCOMPARE(kept.WidestLine(), plain.WidestLine());
        QCOMPARE(kept.horizontalScrollBar()->value(), plain.horizontalScrollBar()->value());
        QCOMPARE(kept.viewport()->grab().toImage(), plain.viewport()->grab().toImage());
        QTest::mousePress(kept.viewport(), Qt::LeftButton, {}, QPoint(150, 5));
        QTest::mousePress(plain.viewport(), Qt::LeftButton, {}, QPoint(150, 5));
        QCOMPARE(kept.SelStart(), plain.SelStart());
        QVERIFY(kept.SelStart() > 5000);
    }

    void positionsOfLongLines()
    {
        TTextPane pane;
        pane.resize(300, 200);
        QByteArray all;
        const QByteArray piece = QByteArray("abc\xFEW ").repeated(1000) + "\r\n" + QByteArray("x").repeated(5000);
        for (int i = 0; i < 300; ++i) { // about 3 MB, a long last line
            const QByteArray part = (i % 7 == 0) ? piece : QByteArray("mmmm").repeated(1 + i % 997);
            pane.AppendText(part);
            all += part;
        }
        QCOMPARE(pane.Text(), all);
        const QFontMetrics fm(pane.viewport()->font());
        const auto plainX = [&](qsizetype offset) {
            qsizetype start = all.lastIndexOf("\r\n", offset - 1);
            start = start < 0 || start + 2 > offset ? (start < 0 ? 0 : start + 2) : start + 2;
            int x = 0;
            for (qsizetype i = start; i < offset; ++i)
                x += fm.horizontalAdvance(QChar(char16_t(static_cast<unsigned char>(all[i]) == 0xFE ? 0x015F : static_cast<unsigned char>(all[i]))));
            return qint64(x);
        };
        for (qsizetype offset : {qsizetype(0), qsizetype(17), qsizetype(4096), qsizetype(6001), all.size() / 2,
                                 all.size() - 1, all.size()}) {
            if (offset > 0 && (all[offset - 1] == '\r'))
                continue; // inside a line break
            QCOMPARE(pane.XOfOffset(offset), plainX(offset));
        }
        pane.CaretToEnd();
        QCOMPARE(pane.SelStart(), all.size());
        QCOMPARE(pane.SelLength(), 0);
        pane.FlushView(); // the view follows at its next update
        QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
        QVERIFY(pane.horizontalScrollBar()->value() > 0); // the end of the long last line is in view
        pane.Clear();
        QCOMPARE(pane.WidestLine(), 0);
        QCOMPARE(pane.LineCount(), 0);
    }

    void selectAndCopy()
    {
        TTextPane pane;
        pane.SetText("ab\r\n\xFE\xF0z");
        pane.Select(1, 5);
        QCOMPARE(pane.SelectedText(), QByteArray("b\r\n\xFE\xF0"));
        pane.CopySelection();
#ifdef Q_OS_WIN
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b\r\nşğ")); // Windows text keeps CR LF
#else
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b\nşğ"));
#endif
        QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane.SelLength(), pane.Text().size());
    }
};

QTEST_MAIN(TestPane)
#include "tst_pane.moc"

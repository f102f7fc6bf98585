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

    // The view's per-chunk positions agree with a plain sum of advances, however the text
    // arrived: in one piece, in odd pieces, across line breaks, in lines of megabytes.
    // Runs of digits and '-' are measured by counting; mixed runs are not taken for them.
    void decimalRunsMeasureAsTheirAdvances()
    {
        TPane pane;
        const QByteArray lines[] = {"72-105-13-10-", "1-2x-3", "-9", "0", "12 3-", QByteArray("255-").repeated(5000)};
        QByteArray all;
        for (const QByteArray &l : lines)
            all += l + "\r\n";
        pane.SetText(all);
        const QFontMetrics fm(pane.viewport()->font());
        qsizetype start = 0;
        qint64 widest = 0;
        for (const QByteArray &l : lines) {
            qint64 plain = 0;
            for (char c : l)
                plain += fm.horizontalAdvance(QChar(char16_t(static_cast<unsigned char>(c))));
            QCOMPARE(pane.XOfOffset(start + l.size()), plain);
            widest = qMax(widest, plain);
            start += l.size() + 2;
        }
        QCOMPARE(pane.WidestLine(), widest);
    }

    // A pane that keeps decimal lines as bytes measures, selects and draws exactly as one that
    // holds their text.
    void decimalBytesShowAsTheirText()
    {
        QByteArray every;
        for (int v = 0; v < 256; ++v)
            every += char(v);
        const QList<QByteArray> lines{every.repeated(3), "Hi", QByteArray(), every.left(40)};
        TPane kept, plain;
        for (TPane *p : {&kept, &plain}) {
            p->resize(300, 120);
            p->show();
        }
        QByteArray text;
        for (const QByteArray &l : lines) {
            kept.AddDecimalLine(l);
            text += decimalLine(l) + "\r\n";
        }
        plain.SetText(text);
        QVERIFY(kept.Model().holdsDecimalBytes());
        QCOMPARE(kept.Text(), plain.Text());
        QCOMPARE(kept.WidestLine(), plain.WidestLine());
        for (qsizetype offset = 0; offset <= text.size(); offset += 1 + offset / 5)
            QCOMPARE(kept.XOfOffset(offset), plain.XOfOffset(offset));
        kept.Select(5, 900);
        plain.Select(5, 900);
        QCOMPARE(kept.SelectedText(), plain.SelectedText());
        for (const int h : {0, 333, 2000}) { // the same picture wherever the view stands
            for (TPane *p : {&kept, &plain}) {
                p->FlushView();
                p->horizontalScrollBar()->setValue(h);
            }
            QCOMPARE(kept.viewport()->grab().toImage(), plain.viewport()->grab().toImage());
        }
    }

    void positionsOfLongLines()
    {
        TPane pane;
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
        TPane pane;
        pane.SetText("ab\r\n\xFE\xF0z");
        pane.Select(1, 5);
        QCOMPARE(pane.SelectedText(), QByteArray("b\r\n\xFE\xF0"));
        pane.CopySelection();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b\nşğ"));
        QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane.SelLength(), pane.Text().size());
    }
};

QTEST_MAIN(TestPane)
#include "tst_pane.moc"

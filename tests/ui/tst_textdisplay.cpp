#include "core/codepage.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/glyphbutton.h"
#include "ui/helpwindow.h"
#include "ui/mainwindowlayout.h"
#include "ui/messagebox.h"
#include "ui/pane.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

namespace {

const QString kCapitals = QStringLiteral("İĞÖÜŞ");

bool ink(QRgb c)
{
    return qGray(c) < 160;
}

// The rows of a picture where two renderings of the same widget differ: where the text is.
QRect difference(const QImage &a, const QImage &b)
{
    QRect r;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y)
        for (int x = 0; x < qMin(a.width(), b.width()); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                r |= QRect(x, y, 1, 1);
    return r;
}

// The ink of a text drawn with all the room it needs.
QRect inkWithRoom(const QFont &font, const QString &text)
{
    QImage img(400, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(20, 60), text);
    p.end();
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                r |= QRect(x, y, 1, 1);
    return r;
}

QImage shot(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

// Every control that draws text shows the marks over capitals whole and keeps lines apart by
// the font's line height; the pane draws each byte where it measures it.
class TestTextDisplay : public QObject {
    Q_OBJECT

    QWidget window;
    MainControls c{};

private slots:
    void initTestCase()
    {
        fonts::install();
        qApp->setFont(fonts::windowFont());
        c = buildMainWindow(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void theWindowFontHasTheWindowsLineMetrics()
    {
        const QFontMetrics fm(fonts::windowFont());
        QCOMPARE(fm.ascent(), 11);
        QCOMPARE(fm.height(), 13);
        QCOMPARE(fm.lineSpacing(), 13);
        // The marks fit inside the ascent.
        const QRect r = inkWithRoom(fonts::windowFont(), kCapitals);
        QVERIFY2(60 - r.top() <= fm.ascent(), qPrintable(QString::number(60 - r.top())));
    }

    void marksOverCapitalsAreWhole_data()
    {
        QTest::addColumn<int>("control");
        QTest::newRow("host edit") << 0;
        QTest::newRow("send edit") << 1;
        QTest::newRow("label") << 2;
        QTest::newRow("check box") << 3;
        QTest::newRow("glyph button") << 4;
        QTest::newRow("pane, first line") << 5;
        QTest::newRow("message box") << 6;
        QTest::newRow("help text") << 7;
    }
    void marksOverCapitalsAreWhole()
    {
        QFETCH(int, control);
        const QByteArray bytes = cp1254::fromUnicode(kCapitals);
        QString text = kCapitals;
        std::unique_ptr<QWidget> own;
        QWidget *w = nullptr;
        std::function<void(bool)> show;
        switch (control) {
        case 0: w = c.cmb1; show = [&](bool on) { c.cmb1->SetText(on ? bytes : QByteArray()); }; break;
        case 1: w = c.Edit1; show = [&](bool on) { c.Edit1->SetText(on ? bytes : QByteArray()); }; break;
        case 2: // as narrow as "IP:": the two tallest of them
            text = QStringLiteral("İĞ");
            w = c.Label1;
            show = [&](bool on) { c.Label1->setText(on ? text : QString()); };
            break;
        case 3: w = c.ch1; show = [&](bool on) { c.ch1->setText(on ? kCapitals : QString()); }; break;
        case 4: w = c.M[0]; show = [&](bool on) { c.M[0]->setText(on ? kCapitals : QString()); }; break;
        case 5:
            w = c.Memo1;
            show = [&](bool on) {
                c.Memo1->SetText(on ? bytes + "\r\n" + bytes : QByteArray());
                c.Memo1->FlushView();
            };
            break;
        case 6: {
            auto *box = new TMessageForm(QStringLiteral("x"), kCapitals);
            own.reset(box);
            w = box->Label();
            show = [box](bool on) { box->Label()->setText(on ? kCapitals : QString()); };
            break;
        }
        case 7: {
            auto *help = new TfHelp;
            own.reset(help);
            w = help->cxMemo1;
            show = [help](bool on) { help->cxMemo1->setPlainText(on ? kCapitals : QString()); };
            break;
        }
        }
        show(false);
        const QImage empty = shot(w);
        show(true);
        const QImage full = shot(w);
        const QRect drawn = difference(empty, full);
        const QRect room = inkWithRoom(w->font(), text);
        QVERIFY2(drawn.height() >= room.height(),
                 qPrintable(QStringLiteral("%1 rows drawn of %2").arg(drawn.height()).arg(room.height())));
    }

    // Two lines of a pane stand one line height apart, and the marks of the second line do not
    // reach into the first.
    void paneLinesStandALineHeightApart()
    {
        TTextPane *pane = c.Memo1;
        pane->SetText("_\r\n" + cp1254::fromUnicode(kCapitals));
        pane->FlushView();
        const QImage img = shot(pane->viewport());
        const int line = qRound(13 * img.devicePixelRatio()); // in the picture's pixels
        int underline = -1, marksTop = -1;
        for (int y = 0; y < img.height() && marksTop < 0; ++y)
            for (int x = 0; x < img.width() / 4; ++x)
                if (ink(img.pixel(x, y))) {
                    if (underline < 0 && y < line)
                        underline = y;
                    else if (y > underline + 1 && y >= line)
                        marksTop = y;
                    break;
                }
        QVERIFY(underline >= 0 && underline < line);
        QVERIFY2(marksTop >= line, qPrintable(QString::number(marksTop)));
        QCOMPARE(pane->fontMetrics().height(), 13);
    }

    // After CaretToEnd on a long line, its last character is drawn inside the view and ends
    // where the caret stands.
    void theEndOfALongLineIsDrawnWhereTheCaretIs_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("400 y") << QByteArray(400, 'y') + "END";
        QTest::newRow("20 y") << QByteArray(20, 'y') + "END";
        QTest::newRow("80 i") << QByteArray(80, 'i') + "END";
        QTest::newRow("tabs and high bytes") << QByteArray("\tW\xD0\xDD\t").repeated(30) + "END";
    }
    void theEndOfALongLineIsDrawnWhereTheCaretIs()
    {
        QFETCH(QByteArray, line);
        TTextPane *pane = c.Memo2;
        pane->SetText(line);
        pane->CaretToEnd();
        pane->FlushView();
        pane->setFocus();
        const int hx = pane->horizontalScrollBar()->value() - 2; // the text starts 2 px in
        const int caretX = int(pane->XOfOffset(line.size()) - hx);
        QVERIFY(caretX > 0 && caretX < pane->viewport()->width());
        pane->Select(0, 0); // no caret drawn: only the text
        pane->clearFocus();
        const QImage img = shot(pane->viewport());
        const qreal dpr = img.devicePixelRatio();
        int right = -1;
        for (int y = 0; y < qRound(13 * dpr); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (ink(img.pixel(x, y)))
                    right = qMax(right, x);
        const qreal inkEnd = (right + 1) / dpr; // in the pane's own units
        const int dAdvance = pane->fontMetrics().horizontalAdvance(u'D');
        QVERIFY2(inkEnd <= caretX + 0.5 && inkEnd >= caretX - dAdvance / 2.0,
                 qPrintable(QStringLiteral("ink ends at %1, caret at %2").arg(inkEnd).arg(caretX)));
    }

    // The select-all highlight covers the text exactly: it ends where the text's ink ends.
    void theSelectionCoversTheTextExactly()
    {
        TTextPane *pane = c.Memo2;
        for (const QByteArray &line : {QByteArray(40, 'y'), QByteArray(80, 'i')}) {
            pane->SetText(line);
            pane->FlushView();
            pane->horizontalScrollBar()->setValue(0);
            pane->Select(0, line.size());
            const QImage img = shot(pane->viewport());
            const QRgb highlight = pane->palette().color(QPalette::Highlight).rgb();
            int end = -1;
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, 0) == highlight) // above the ink of these letters
                    end = x;
            QCOMPARE(qRound((end + 1) / img.devicePixelRatio()), int(pane->XOfOffset(line.size())) + 2);
        }
    }
};

QTEST_MAIN(TestTextDisplay)
#include "tst_textdisplay.moc"

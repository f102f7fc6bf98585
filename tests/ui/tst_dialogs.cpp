#include "core/apptitle.h"
#include "tests/support/modal.h"
#include "ui/dialogunits.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/inputbox.h"
#include "ui/messagebox.h"

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        fonts::install();
        qApp->setFont(fonts::windowFont());
    }

    void mulDivRoundsHalvesAwayFromZero_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("result");
        QTest::newRow("50*5/4") << 50 << 5 << 4 << 63;
        QTest::newRow("10*13/8") << 10 << 13 << 8 << 16;
        QTest::newRow("14*13/8") << 14 << 13 << 8 << 23;
        QTest::newRow("-50*5/4") << -50 << 5 << 4 << -63;
        QTest::newRow("exact") << 8 << 6 << 4 << 12;
        QTest::newRow("just under half") << 1 << 1 << 3 << 0;
        QTest::newRow("large") << 2000000000 << 3 << 4 << 1500000000;
    }
    void mulDivRoundsHalvesAwayFromZero()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(int, result);
        QCOMPARE(MulDiv(a, b, c), result);
    }

    void messageBoxWorkedExample()
    {
        const MessageBoxLayout l = messageBoxLayout({6, 13}, QSize(210, 13), 20);
        QCOMPARE(l.client, QSize(234, 78));
        QCOMPARE(l.label, QRect(12, 13, 210, 13));
        QCOMPARE(l.button, QRect(79, 42, 75, 23));
        // A caption wider than the computed button widens it.
        QCOMPARE(messageBoxLayout({6, 13}, QSize(210, 13), 80).button.width(), 88);
        // A short message: the button sets the width.
        QCOMPARE(messageBoxLayout({6, 13}, QSize(30, 13), 20).client.width(), 75 + 24);
    }

    void inputBoxWorkedExample()
    {
        const InputBoxLayout l = inputBoxLayout({6, 13}, QSize(40, 13), 21);
        QCOMPARE(l.client, QSize(270, 103));
        QCOMPARE(l.prompt.topLeft(), QPoint(12, 13));
        QCOMPARE(l.edit, QRect(12, 31, 246, 21));
        QCOMPARE(l.ok, QRect(57, 67, 75, 23));
        QCOMPARE(l.cancel, QRect(138, 67, 75, 23));
    }

    // The dialogs as built, in the window font, at every scale factor the tests run with: the
    // worked examples' figures exactly (a line of text is 13 high, however the font engine
    // rounds the fractional descent of the font).
    void builtDialogsHaveTheWorkedExamplesFigures()
    {
        const DialogUnits du = dialogUnits(fonts::windowFont());
        QCOMPARE(du.x, 6);
        QCOMPARE(du.y, 13);
        QCOMPARE(wrappedTextSize(fonts::windowFont(), QStringLiteral("Makro"), 1000).height(), 13);
        QCOMPARE(wrappedTextSize(fonts::windowFont(), QStringLiteral("bir\r\niki\nüç\rdört"), 1000).height(), 4 * 13);

        TInputForm form("Makro", "Makro", "eski");
        QCOMPARE(form.size(), QSize(270, 103));
        QCOMPARE(form.Edit()->geometry(), QRect(12, 31, 246, 21));
        QCOMPARE(form.OkButton()->geometry(), QRect(57, 67, 75, 23));
        QCOMPARE(form.CancelButton()->geometry(), QRect(138, 67, 75, 23));
        QCOMPARE(form.findChild<QLabel *>()->geometry().topLeft(), QPoint(12, 13));

        // The guard's message takes one line where half the screen holds it (a small screen at a
        // large scale factor wraps it): every line 13 high, nothing added.
        TMessageForm box("Sample", QStringLiteral("Öncelikle Port Bağlantısını Yapmalısınız."));
        const QRect label = box.Label()->geometry();
        const int lines = label.height() / 13;
        QCOMPARE(label.topLeft(), QPoint(12, 13));
        QCOMPARE(label.height(), 13 * lines);
        if (QGuiApplication::primaryScreen()->geometry().width() / 2 >= 300)
            QCOMPARE(lines, 1);
        QCOMPARE(box.Button()->geometry().top(), 42 + 13 * (lines - 1));
        QCOMPARE(box.Button()->size(), QSize(75, 23));
        QCOMPARE(box.height(), 78 + 13 * (lines - 1));
        QCOMPARE(box.width(), qMax(label.width(), 75) + 24);
    }

    void messageBoxCopyTextLayout()
    {
        const QString d = QString(27, u'-') + "\r\n";
        QCOMPARE(messageBoxCopyText("Sample", "Hello", {"&OK"}),
                 d + "Sample\r\n" + d + "Hello\r\n" + d + "OK   \r\n" + d);
    }

    void messageBoxKeys()
    {
        const QString msg = QStringLiteral("Öncelikle Port Bağlantısını Yapmalısınız.");
        TMessageForm box(titleFromProgramFile("/x/SAMPLE.EXE"), msg);
        QCOMPARE(box.windowTitle(), QStringLiteral("Sample"));
        QCOMPARE(box.Label()->text(), msg);
        QVERIFY(box.Button()->isDefault());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QApplication::clipboard()->setText("before");
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&box, Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), messageBoxCopyText("Sample", msg, {"OK"}));
        QVERIFY(box.isVisible()); // the box stays open
        QTest::keyClick(box.Button(), Qt::Key_Escape);
        QVERIFY(!box.isVisible());
        box.show();
        QTest::keyClick(box.Button(), Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void longMessageWrapsAndGrowsInHeight()
    {
        const QString word = QStringLiteral("kelime ");
        TMessageForm box("T", word.repeated(400));
        const QScreen *screen = QGuiApplication::primaryScreen();
        QVERIFY(box.width() <= screen->geometry().width() / 2 + 100);
        QVERIFY(box.Label()->height() > 3 * box.fontMetrics().height());
    }

    void inputBoxAnswers()
    {
        ModalAnswerer answer;
        // OK returns the edit's text; the initial text starts all selected, so typing replaces it.
        answer.then([](QWidget *w) {
            auto *f = static_cast<TInputForm *>(w);
            QVERIFY(f->Edit()->hasSelectedText());
            QCOMPARE(f->Edit()->selectedText(), QStringLiteral("eski"));
            QTest::keyClicks(f->Edit(), "yeni");
            QTest::keyClick(f->Edit(), Qt::Key_Return);
        });
        QCOMPARE(InputBox("Makro", "Makro", "eski"), QByteArray("yeni"));
        // Cancel after editing returns the initial text.
        answer.then([](QWidget *w) {
            auto *f = static_cast<TInputForm *>(w);
            QTest::keyClicks(f->Edit(), "x");
            f->CancelButton()->click();
        });
        QCOMPARE(InputBox("Makro", "Makro", "eski"), QByteArray("eski"));
        // Esc too.
        answer.then([](QWidget *w) { QTest::keyClick(static_cast<TInputForm *>(w)->Edit(), Qt::Key_Escape); });
        QByteArray value = "v";
        QVERIFY(!InputQuery("Makro", "Makro", value));
        QCOMPARE(value, QByteArray("v"));
        // An emptied edit confirmed: empty.
        answer.then([](QWidget *w) {
            auto *f = static_cast<TInputForm *>(w);
            f->Edit()->clear();
            f->OkButton()->click();
        });
        QCOMPARE(InputBox("Makro", "Makro", "eski"), QByteArray());
    }

    void inputBoxRefusesThe256thCharacter()
    {
        TInputForm form("Makro", "Makro", "");
        form.show();
        QTest::keyClicks(form.Edit(), QString(256, u'a'));
        QCOMPARE(form.Edit()->Text().size(), 255);
        // A longer text from a hand-edited file is shown whole, not cut.
        TInputForm longer("Makro", "Makro", QByteArray(300, 'b'));
        QCOMPARE(longer.Edit()->Text(), QByteArray(300, 'b'));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

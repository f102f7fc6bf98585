#include "terminal/inifile.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "ui/hint.h"
#include "ui/inputbox.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

namespace {
const QByteArray kHandEdited = "[PORT]\r\ncmb1=127.0.0.1\r\ncmb2=9988\r\n[MAKRO]\r\nMAKRO1=AT#013\r\nMAKRO2=" +
                               QByteArray(300, 'q') + "\r\nMAKRO3=a|b\r\nMAKRO5=A&B\r\nMAKRO6=\r\nMAKRO7=x\r\n"
                               "MAKRO8=\r\nMAKRO9=\r\nMAKRO10=ten\r\n; mine\r\n";

// Right-clicks a macro button and answers the input box with action.
void editMacro(TGlyphButton *m, ModalAnswerer &answer, ModalAnswerer::Action action)
{
    answer.then(std::move(action));
    QTest::mouseClick(m, Qt::RightButton);
}
void typeAndConfirm(QWidget *box, const QString &text)
{
    auto *f = static_cast<TInputForm *>(box);
    f->Edit()->setText(text);
    f->OkButton()->click();
}
} // namespace

class TestMacros : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ini::setWritesFail(false); }

    void loadedFromAHandEditedFile()
    {
        MainWindowFixture f;
        f.writeSettings(kHandEdited);
        f.open();
        QCOMPARE(f.window->M[0]->Hint, QByteArray("AT#013"));
        QCOMPARE(f.window->M[1]->Hint, QByteArray(300, 'q')); // all 300
        QCOMPARE(f.window->M[2]->Hint, QByteArray("a|b"));
        QCOMPARE(f.window->M[3]->Hint, QByteArray());
        QCOMPARE(f.window->M[9]->Hint, QByteArray("ten"));
        // The missing MAKRO4 was added as the last line of its section; all else stays.
        QCOMPARE(f.settingsFile(), kHandEdited + "MAKRO4=\r\n");
    }

    void loadingStopsAtTheFirstFailedWriteBack()
    {
        MainWindowFixture f;
        f.writeSettings(kHandEdited);
        ini::setWritesFail(true);
        f.open();
        // MAKRO4 reads empty and its write-back fails: M4 and all after it stay empty.
        QCOMPARE(f.exceptions, QStringList{"Unable to write to " + f.settingsPath()});
        QCOMPARE(f.window->M[2]->Hint, QByteArray("a|b"));
        for (int i = 3; i < 10; ++i)
            QVERIFY2(f.window->M[size_t(i)]->Hint.isEmpty(), qPrintable(QString::number(i + 1)));
        QCOMPARE(f.settingsFile(), kHandEdited);
    }

    void rightClickEdits()
    {
        MainWindowFixture f;
        f.writeSettings(kHandEdited);
        f.open();
        ModalAnswerer answer;

        // Cancel: the text stays and is stored again.
        f.writeSettings(QByteArray(kHandEdited).replace("MAKRO7=x", "MAKRO7=changed on disk"));
        editMacro(f.window->M[6], answer, [](QWidget *box) { static_cast<TInputForm *>(box)->CancelButton()->click(); });
        QCOMPARE(answer.seen(), 1);
        QCOMPARE(f.window->M[6]->Hint, QByteArray("x"));
        QVERIFY(f.settingsFile().contains("MAKRO7=x\r\n"));

        // Emptied and confirmed: stored empty under its own key.
        editMacro(f.window->M[2], answer, [](QWidget *box) { typeAndConfirm(box, QString()); });
        QCOMPARE(f.window->M[2]->Hint, QByteArray());
        QVERIFY(f.settingsFile().contains("MAKRO3=\r\n"));

        // A pasted line break ends what is pasted: the button and the file agree.
        editMacro(f.window->M[6], answer, [](QWidget *box) {
            auto *form = static_cast<TInputForm *>(box);
            QGuiApplication::clipboard()->setText(QStringLiteral("ab\r\ncd"));
            form->Edit()->paste();
            form->OkButton()->click();
        });
        QCOMPARE(f.window->M[6]->Hint, QByteArray("ab"));
        QVERIFY(f.settingsFile().contains("MAKRO7=ab\r\n"));

        // M10 goes under MAKRO10 only; MAKRO1 is untouched.
        editMacro(f.window->M[9], answer, [](QWidget *box) { typeAndConfirm(box, QStringLiteral("on #$41 ş")); });
        QCOMPARE(f.window->M[9]->Hint, QByteArray("on #$41 \xFE"));
        QVERIFY(f.settingsFile().contains("MAKRO10=on #$41 \xFE\r\n"));
        QVERIFY(f.settingsFile().contains("MAKRO1=AT#013\r\n"));

        // The box shows the current text, under the caption "Makro".
        QString caption, initial;
        editMacro(f.window->M[0], answer, [&](QWidget *box) {
            caption = box->windowTitle();
            initial = static_cast<TInputForm *>(box)->Edit()->text();
        });
        QCOMPARE(caption, QStringLiteral("Makro"));
        QCOMPARE(initial, QStringLiteral("AT#013"));

        // A store that fails: the message, and the new text stays on the button.
        ini::setWritesFail(true);
        editMacro(f.window->M[4], answer, [](QWidget *box) { typeAndConfirm(box, QStringLiteral("new")); });
        QCOMPARE(f.exceptions, QStringList{"Unable to write to " + f.settingsPath()});
        QCOMPARE(f.window->M[4]->Hint, QByteArray("new"));
        QVERIFY(f.settingsFile().contains("MAKRO5=A&B\r\n"));

        // The middle button does nothing; no input box opens.
        QTest::mouseClick(f.window->M[4], Qt::MiddleButton);
        QCOMPARE(answer.seen(), 6);
    }

    void leftClickSends()
    {
        LoopbackServer server;
        MainWindowFixture f;
        f.writeSettings(kHandEdited);
        f.open();
        ModalAnswerer answer;
        // Without a connection: the guard's message, nothing sent.
        QTest::mouseClick(f.window->M[0], Qt::LeftButton);
        QCOMPARE(answer.texts, QStringList{"Öncelikle Port Bağlantısını Yapmalısınız."});

        f.window->cmb2->SetText(server.portText());
        f.window->btnbaglan->click();
        QVERIFY(spinUntil([&] { return f.connected(); }));
        QVERIFY(server.waitForClient());
        f.window->ch1->setChecked(true); // plays no part for macros
        f.window->Memo1->Clear();
        QTest::mouseClick(f.window->M[0], Qt::LeftButton);
        QVERIFY(server.waitForReceived(3));
        QTest::mouseClick(f.window->M[2], Qt::LeftButton); // a|b is sent whole
        QVERIFY(server.waitForReceived(6));
        QCOMPARE(server.received(), QByteArray("AT\ra|b"));
        QCOMPARE(f.window->Memo1->Text(), QByteArray("AT\r\na|b"));
        // The focused button sends on Space too.
        f.window->M[9]->setFocus();
        QTest::keyClick(f.window->M[9], Qt::Key_Space);
        QVERIFY(server.waitForReceived(9));
        QCOMPARE(server.received().mid(6), QByteArray("ten"));
        QCOMPARE(answer.seen(), 1);
    }

    void tooltips()
    {
        QCOMPARE(hint::shortPart("a|b"), QByteArray("a"));
        QCOMPARE(hint::shortPart("|b"), QByteArray());
        QCOMPARE(hint::shortPart("A&B"), QByteArray("A&B"));
        MainWindowFixture f;
        f.writeSettings(kHandEdited);
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const auto tipOf = [](QWidget *w) {
            QToolTip::hideText();
            QHelpEvent e(QEvent::ToolTip, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(w, &e);
            return e.isAccepted() ? QToolTip::text() : QString(); // ignored: nobody showed one
        };
        QCOMPARE(tipOf(f.window->M[2]), QStringLiteral("a"));
        QCOMPARE(tipOf(f.window->M[4]), QStringLiteral("A&B")); // plain text: shown as A&B
        QCOMPARE(tipOf(f.window->M[3]), QString()); // an empty macro shows none
        QCOMPARE(tipOf(f.window->btnbaglan), QString()); // nor do other controls
        QVERIFY(tipOf(f.window->Edit1).contains(QStringLiteral("Gönderilecek veri.")));

        // One line high, however long, while narrower than the screen.
        const auto tipLabel = [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible())
                    return w;
            return static_cast<QWidget *>(nullptr);
        };
        const int lineHeight = QFontMetrics(QToolTip::font()).height();
        f.window->M[3]->Hint = "word00 word01 word02";
        tipOf(f.window->M[3]);
        QVERIFY(tipLabel());
        QVERIFY2(tipLabel()->height() < 2 * lineHeight, qPrintable(QString::number(tipLabel()->height())));
        tipOf(f.window->Edit1); // its 80 characters
        QVERIFY(tipLabel());
        QVERIFY2(tipLabel()->height() < 2 * lineHeight, qPrintable(QString::number(tipLabel()->height())));
        QToolTip::hideText();
    }

    // What the tooltip is handed: plain text as it is; text that looks like markup escaped,
    // on one line unless wider than the screen.
    void tipTexts_data()
    {
        QTest::addColumn<QByteArray>("part");
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("A&B \xD0") << 50 << QStringLiteral("A&B Ğ");
        QTest::newRow("plain, wider than the screen") << QByteArray("a b") << 5000 << QStringLiteral("a b");
        QTest::newRow("markup") << QByteArray("<b>x</b>") << 50 << QStringLiteral("<p style='white-space:pre'>&lt;b&gt;x&lt;/b&gt;</p>");
        QTest::newRow("markup, wider than the screen") << QByteArray("<b>x</b>") << 5000 << QStringLiteral("<p>&lt;b&gt;x&lt;/b&gt;</p>");
    }
    void tipTexts()
    {
        QFETCH(QByteArray, part);
        QFETCH(int, textWidth);
        QFETCH(QString, shown);
        QCOMPARE(hint::tipText(part, textWidth, 1280), shown);
    }
};

QTEST_MAIN(TestMacros)
#include "tst_macros.moc"

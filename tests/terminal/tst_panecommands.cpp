#include "terminal/panefile.h"
#include "tests/support/mainwindow.h"
#include "tests/support/modal.h"
#include "tests/support/spin.h"
#include "ui/helpwindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDir>
#include <QTest>

namespace {
QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestPaneCommands : public QObject {
    Q_OBJECT

    // Runs a save command, typing name into the dialog and confirming it. Returns the name the
    // dialog offered at first.
    QString save(QAction *command, ModalAnswerer &answer, const QString &name)
    {
        QString offered;
        answer.then([&](QWidget *box) {
            auto *d = qobject_cast<QFileDialog *>(box);
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QStringLiteral("Kaydetmek istediğiniz dosya ismi"));
            QCOMPARE(d->nameFilters(), QStringList{"Text file (*.txt)"});
            QCOMPARE(d->defaultSuffix(), QStringLiteral("txt"));
            QVERIFY(d->testOption(QFileDialog::DontConfirmOverwrite));
            auto *filter = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(filter);
            QCOMPARE(filter->currentText(), QStringLiteral("Text file")); // its pattern not shown
            offered = d->selectedFiles().value(0);
            if (name.isEmpty()) {
                d->reject();
                return;
            }
            // Typed into the name box and confirmed, as a user does.
            auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(name);
            static_cast<QDialog *>(d)->accept(); // what the Save button does
        });
        command->trigger();
        return offered;
    }

private slots:
    void clearing()
    {
        MainWindowFixture f;
        f.open();
        TfMain &w = *f.window;
        w.Memo1->SetText("1");
        w.Memo2->SetText("2");
        w.Memo3->AddDecimalLine("3");
        const QByteArray settings = f.settingsFile();
        w.MenuItem1->trigger(); // the received text pane only
        QCOMPARE(w.Memo2->Text(), QByteArray());
        QCOMPARE(w.Memo3->Text(), QByteArray("51-\r\n"));
        w.Memo2->SetText("2");
        w.RzBitBtn2->click(); // both received panes
        QCOMPARE(w.Memo2->Text(), QByteArray());
        QCOMPARE(w.Memo3->Text(), QByteArray());
        QCOMPARE(w.Memo1->Text(), QByteArray("1"));
        w.btntemizle->trigger();
        QCOMPARE(w.Memo1->Text(), QByteArray());
        QCOMPARE(w.Memo1->LineCount(), 0);
        QCOMPARE(f.settingsFile(), settings);
        QVERIFY(f.exceptions.isEmpty());
    }

    void saving()
    {
        MainWindowFixture f;
        f.open();
        TfMain &w = *f.window;
        ModalAnswerer answer;
        const QString dir = f.dir.path();

        // An empty pane: 0 bytes.
        save(w.Kaydet1, answer, dir + "/empty.txt");
        QCOMPARE(fileBytes(dir + "/empty.txt"), QByteArray());

        // Exactly the pane's bytes: no line break added, none translated.
        w.Memo1->SetText("ab\r\n\xFE");
        save(w.Kaydet1, answer, dir + "/open.txt");
        QCOMPARE(fileBytes(dir + "/open.txt"), QByteArray("ab\r\n\xFE"));
        w.Memo2->SetText("x\ny\n");
        // The second save offers the first one's path; a name without extension gets .txt.
        QCOMPARE(save(w.MenuItem2, answer, dir + "/log"), dir + "/open.txt");
        QCOMPARE(fileBytes(dir + "/log.txt"), QByteArray("x\r\ny\r\n"));
        QCOMPARE(w.SaveFileName(), dir + "/log.txt");

        // Over an existing file: replaced without a question.
        save(w.Kaydet1, answer, dir + "/log.txt");
        QCOMPARE(fileBytes(dir + "/log.txt"), QByteArray("ab\r\n\xFE"));

        // Cancel: nothing written, the remembered name stays.
        w.Memo1->SetText("other");
        QCOMPARE(save(w.Kaydet1, answer, QString()), dir + "/log.txt");
        QCOMPARE(fileBytes(dir + "/log.txt"), QByteArray("ab\r\n\xFE"));
        QCOMPARE(w.SaveFileName(), dir + "/log.txt");

        // Into a missing folder: the message with the full path; nothing written; the path is
        // still remembered for the next run.
        const QString missing = dir + "/missing/out.txt";
        save(w.Kaydet1, answer, missing);
#ifdef Q_OS_WIN
        const QString reason = QStringLiteral("Path not found"); // the system's own words
#else
        const QString reason = QStringLiteral("No such file or directory");
#endif
        QCOMPARE(f.exceptions,
                 QStringList{QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(missing), reason)});
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(w.SaveFileName(), missing);
    }

    // Typing the name of an existing file opens the name box's completion list; confirming with
    // Enter while it is open must not leave it standing over the main window.
    void enterOnACompletedNameLeavesNoList()
    {
        MainWindowFixture f;
        f.open();
        TfMain &w = *f.window;
        w.show();
        const QString existing = f.dir.filePath(QStringLiteral("kayit.txt"));
        QFile(existing).open(QIODevice::WriteOnly);
        ModalAnswerer answer;
        QAbstractItemView *list = nullptr;
        answer.then([&](QWidget *box) {
            auto *edit = box->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            static_cast<QFileDialog *>(box)->setDirectory(f.dir.path());
            edit->setText(QStringLiteral("kayit.txt"));
            QVERIFY(edit->completer());
            list = edit->completer()->popup();
            edit->completer()->setCompletionPrefix(QStringLiteral("kay"));
            edit->completer()->complete(); // the list as typing opens it
            QVERIFY(list->isVisible());
            QTest::keyClick(edit, Qt::Key_Return); // confirms the dialog
        });
        w.Memo1->SetText("kayit");
        w.Kaydet1->trigger();
        QCOMPARE(answer.seen(), 1);
        QCOMPARE(fileBytes(existing), QByteArray("kayit"));
        QVERIFY(list);
        QVERIFY(!list->isVisible());
    }

    void aShortWrite()
    {
#ifdef _WIN32
        QSKIP("Windows has no device that is always full; tried on Linux with /dev/full");
#endif
        // The write itself, as a full disk makes it fail.
        try {
            writePaneFile(QStringLiteral("/dev/full"), "abc");
            QFAIL("no exception");
        } catch (const EWriteError &e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("Stream write error"));
        }
    }

    void helpWindow()
    {
        MainWindowFixture f;
        f.open();
        TfHelp help(f.window.get());
        f.window->SetHelpWindow(&help);
        QCOMPARE(help.windowTitle(), QStringLiteral("DOLMEKAN Programı"));
        QCOMPARE(help.size(), QSize(299, 166));
        QCOMPARE(help.minimumSize(), help.maximumSize()); // not resizable
        QVERIFY(help.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY((help.windowFlags() & Qt::Tool) == Qt::Tool);
        QCOMPARE(help.Label1->text(), QStringLiteral("ZOLTERA"));
        QCOMPARE(help.cxMemo1->toPlainText().split(u'\n').size(), 7);
        QCOMPARE(help.cxMemo1->toPlainText().split(u'\n').at(5), QStringLiteral("Örneğin A karakteri için: #065 girebilirsiniz."));
        QCOMPARE(help.cxMemo1->geometry(), QRect(0, 52, 299, 114));

        ModalAnswerer answer;
        QPoint firstAt;
        answer.then([&](QWidget *box) {
            QCOMPARE(box, &help);
            QVERIFY(help.isModal());
            QCOMPARE(help.focusWidget(), help.cxMemo1);
            help.cxMemo1->appendPlainText(QStringLiteral("note"));
            help.move(help.pos() + QPoint(20, 30));
            firstAt = help.pos();
            help.close();
        });
        f.window->RzBitBtn1->click();
        QVERIFY(!help.isVisible());
        // It has no buttons: Esc does not close it, the close command does.
        answer.then([&](QWidget *) {
            QTest::keyClick(help.cxMemo1, Qt::Key_Escape);
            QTest::keyClick(&help, Qt::Key_Escape);
            QVERIFY(help.isVisible());
            help.close();
        });
        f.window->RzBitBtn1->click();
        QCOMPARE(answer.seen(), 2);
        QPoint secondAt;
        answer.then([&](QWidget *) {
            secondAt = help.pos();
            help.close();
        });
        f.window->RzBitBtn1->click();
        QCOMPARE(answer.seen(), 3);
        QCOMPARE(secondAt, firstAt);
        QVERIFY(help.cxMemo1->toPlainText().endsWith(QStringLiteral("note")));
    }
};

QTEST_MAIN(TestPaneCommands)
#include "tst_panecommands.moc"

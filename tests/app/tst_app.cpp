#include "app/exceptionbox.h"
#include "core/apptitle.h"
#include "core/guard.h"
#include "terminal/fmain.h"
#include "terminal/settings.h"
#include "tests/support/modal.h"
#include "ui/edit.h"
#include "ui/glyphbutton.h"

#include <QAbstractButton>

#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void title_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("title");
        QTest::newRow("SAMPLE.EXE") << "C:/apps/SAMPLE.EXE" << "Sample";
        QTest::newRow("no extension, first kept as it is") << "/usr/bin/miraven" << "miraven";
        QTest::newRow("from the first dot") << "/opt/x/MY.TOOL.EXE" << "My";
        QTest::newRow("dot in folder") << "/opt/v1.2/TERM" << "Term";
        QTest::newRow("first character kept") << "/a/xYZ" << "xyz";
    }
    void title()
    {
        QFETCH(QString, program);
        QFETCH(QString, title);
        QCOMPARE(titleFromProgramFile(program), title);
    }

    void periodRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Unable to write to /x" << "Unable to write to /x.";
        QTest::newRow("period") << "Stream write error." << "Stream write error.";
        QTest::newRow("below period") << "done!" << "done!";
        QTest::newRow("closing parenthesis") << "(x)" << "(x)";
        QTest::newRow("slash is above") << "a/" << "a/.";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("conversion") << "'' is not a valid integer value" << "'' is not a valid integer value.";
    }
    void periodRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(exceptionBoxText(message), shown);
    }

    // A start-up whose settings file cannot be written shows the failure under the title and goes on.
    void startupWithAFolderInPlaceOfTheSettingsFile()
    {
        QTemporaryDir dir;
        settings::setProgramFilePath(dir.filePath("miraven"));
        QVERIFY(QDir().mkpath(settings::settingsFilePath()));
        installExceptionBox();
        ModalAnswerer answer;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        answer.then([&](QWidget *box) {
            auto *mb = qobject_cast<QMessageBox *>(box);
            QVERIFY(mb);
            title = mb->windowTitle();
            icon = mb->icon();
            mb->button(QMessageBox::Ok)->click();
        });
        {
            TfMain fMain;
            QCOMPARE(answer.texts, QStringList{"Unable to write to " + settings::settingsFilePath() + "."});
            QCOMPARE(title, applicationTitle());
            QCOMPARE(title, QStringLiteral("tst_app"));
            QCOMPARE(icon, QMessageBox::Critical);
            QCOMPARE(fMain.cmb2->Text(), QByteArray("9988"));
            // The program goes on: a handler still runs and reports through the same box.
            answer.then([](QWidget *box) { static_cast<QDialog *>(box)->accept(); });
            fMain.cmb2->SetText("x");
            fMain.btnbaglan->click();
            QCOMPARE(answer.texts.last(), QStringLiteral("'x' is not a valid integer value."));
        }
        guard::setHandler(nullptr);
        settings::setProgramFilePath({});
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"

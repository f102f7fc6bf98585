#include "app/application.h"
#include "app/commandline.h"
#include "app/exceptionbox.h"
#include "core/apptitle.h"
#include "core/guard.h"
#include "terminal/fmain.h"
#include "terminal/settings.h"
#include "tests/support/modal.h"
#include "ui/edit.h"
#include "ui/glyphbutton.h"

#include <QAbstractButton>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("says");
        const QString p = QStringLiteral("/usr/bin/miraven");
        QTest::newRow("nothing") << QStringList{p} << int(CommandLine::Run) << "";
        QTest::newRow("Qt's own options") << QStringList{p, "-platform", "offscreen", "--style", "Fusion", "-reverse"}
                                          << int(CommandLine::Run) << "";
        QTest::newRow("Qt 6's font engine option") << QStringList{p, "-fontengine", "freetype"} << int(CommandLine::Run) << "";
        QTest::newRow("named as on Windows") << QStringList{"C:\\Program Files\\Miraven\\MIRAVEN.EXE", "h", "p"}
                                             << int(CommandLine::Error) << "MIRAVEN: 'p' is not a valid port (try --help)";
        QTest::newRow("an X11 option of Qt 4") << QStringList{p, "-bg", "red"} << int(CommandLine::Error)
                                               << "miraven: Unknown option 'bg'. (try --help)";
        QTest::newRow("--help") << QStringList{p, "--help"} << int(CommandLine::Help) << "Usage: miraven [options]";
        QTest::newRow("-h") << QStringList{p, "-h"} << int(CommandLine::Help) << "--version";
        QTest::newRow("--version") << QStringList{p, "--version"} << int(CommandLine::Version) << "miraven 2.";
        QTest::newRow("a third argument") << QStringList{p, "host", "23", "more"} << int(CommandLine::Error)
                                          << "miraven: unexpected argument 'more' (try --help)";
        QTest::newRow("an unknown option") << QStringList{p, "--port=1"} << int(CommandLine::Error)
                                           << "miraven: Unknown option 'port'. (try --help)";
        QTest::newRow("a Qt option without its value") << QStringList{p, "-style"} << int(CommandLine::Error)
                                                       << "miraven: Missing value after '-style'. (try --help)";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, says);
        QCoreApplication::setApplicationName(QStringLiteral("miraven"));
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0"));
        const CommandLine c = parseCommandLine(args);
        QCOMPARE(int(c.action), action);
        QVERIFY2(c.text.startsWith(says) || c.text.contains(says), qPrintable(c.text));
        if (action == CommandLine::Error)
            QVERIFY(!c.text.contains(u'\n')); // one line
    }

    // A host and a port to start with, and --connect: what the run starts with, or the error.
    void startArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("host"); // "-": none given
        QTest::addColumn<QByteArray>("port");
        QTest::addColumn<bool>("connect");
        QTest::addColumn<QString>("error"); // empty: it runs
        const QString p = QStringLiteral("/usr/bin/miraven");
        QTest::newRow("nothing") << QStringList{p} << QByteArray("-") << QByteArray("-") << false << "";
        QTest::newRow("a host") << QStringList{p, "plc.local"} << QByteArray("plc.local") << QByteArray("-") << false << "";
        QTest::newRow("an unknown option") << QStringList{p, "--capture-free", "x"} << QByteArray("-") << QByteArray("-")
                                             << false << "miraven: Unknown option 'capture-free'. (try --help)";
        QTest::newRow("host and decimal port, connect")
            << QStringList{p, "192.168.0.10", "502", "--connect"} << QByteArray("192.168.0.10") << QByteArray("502") << true << "";
        QTest::newRow("connect first, hexadecimal port")
            << QStringList{p, "--connect", "10.0.0.1", "$2704"} << QByteArray("10.0.0.1") << QByteArray("$2704") << true << "";
        QTest::newRow("0x and blanks as the port box takes them")
            << QStringList{p, "h", " 0x1F6"} << QByteArray("h") << QByteArray(" 0x1F6") << false << "";
        QTest::newRow("a Turkish host name") << QStringList{p, "İzmir-plc", "23"} << QByteArray("\xDDzmir-plc")
                                             << QByteArray("23") << false << "";
        QTest::newRow("connect alone: the stored host and port")
            << QStringList{p, "--connect"} << QByteArray("-") << QByteArray("-") << true << "";
        QTest::newRow("a port that is not a number") << QStringList{p, "h", "telnet"} << QByteArray("-") << QByteArray("-")
                                                     << false << "miraven: 'telnet' is not a valid port (try --help)";
        QTest::newRow("a port too large for 32 bits") << QStringList{p, "h", "99999999999"} << QByteArray("-")
                                                      << QByteArray("-") << false
                                                      << "miraven: '99999999999' is not a valid port (try --help)";
        QTest::newRow("a host outside the code page") << QStringList{p, "主机", "23"} << QByteArray("-") << QByteArray("-")
                                                      << false << "miraven: the host '主机' holds characters its box cannot (try --help)";
    }
    void startArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, port);
        QFETCH(bool, connect);
        QFETCH(QString, error);
        const CommandLine c = parseCommandLine(args);
        if (!error.isEmpty()) {
            QCOMPARE(int(c.action), int(CommandLine::Error));
            QCOMPARE(c.text, error);
            return;
        }
        QCOMPARE(int(c.action), int(CommandLine::Run));
        QCOMPARE(c.host.value_or("-"), host);
        QCOMPARE(c.port.value_or("-"), port);
        QCOMPARE(c.connect, connect);
    }

    void recordArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("capture");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("error"); // empty: it runs
        const QString p = QStringLiteral("miraven");
        QTest::newRow("neither") << QStringList{p, "h"} << "" << "" << "";
        QTest::newRow("the issue's example")
            << QStringList{p, "--capture", "plc.pcapng", "192.168.0.10", "502", "--connect"} << "plc.pcapng" << ""
            << "";
        QTest::newRow("both, with =") << QStringList{p, "--capture=a b.pcapng", "--log=/tmp/ş.log"} << "a b.pcapng"
                                      << "/tmp/ş.log" << "";
        QTest::newRow("no file name") << QStringList{p, "--log"} << "" << ""
                                      << "miraven: Missing value after '--log'. (try --help)";
        QTest::newRow("an empty file name") << QStringList{p, "--capture", ""} << "" << ""
                                            << "miraven: --capture needs a file name (try --help)";
        QTest::newRow("the same file for both") << QStringList{p, "--capture", "x", "--log", "x"} << "" << ""
                                                << "miraven: --capture and --log name the same file (try --help)";
        QTest::newRow("the same file by two names")
            << QStringList{p, "--capture", "./x", "--log", QDir::current().filePath("x")} << "" << ""
            << "miraven: --capture and --log name the same file (try --help)";
    }
    void recordArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, capture);
        QFETCH(QString, log);
        QFETCH(QString, error);
        const CommandLine c = parseCommandLine(args);
        if (!error.isEmpty()) {
            QCOMPARE(int(c.action), int(CommandLine::Error));
            QCOMPARE(c.text, error);
            return;
        }
        QCOMPARE(int(c.action), int(CommandLine::Run));
        QCOMPARE(c.capture, capture);
        QCOMPARE(c.log, log);
    }

    // The real program: answers without a window and without writing its settings file.
    void helpAndVersionTouchNothing()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("miraven"));
        QVERIFY(QFile::copy(QStringLiteral(MIRAVEN_PROGRAM), program));
        for (const auto &[args, code] : {std::pair{QStringList{"--version"}, 0}, std::pair{QStringList{"--help"}, 0},
                                         std::pair{QStringList{"host", "12x", "--connect"}, 2}}) {
            QProcess run;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("QT_QPA_PLATFORM")); // no display to be had
            run.setProcessEnvironment(env);
            run.start(program, args);
            QVERIFY(run.waitForFinished(10000));
            QCOMPARE(run.exitCode(), code);
            QCOMPARE(run.readAllStandardOutput().isEmpty(), code != 0);
            QCOMPARE(run.readAllStandardError().count('\n'), code != 0 ? 1 : 0);
        }
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("miraven.Ini"))));
    }

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
    // Qt's own texts follow the user's language: the save dialog's buttons and an edit's menu
    // read Turkish for a Turkish locale and English for the C locale.
    void qtTextsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("save");
        QTest::addColumn<QString>("copy");
        QTest::newRow("Turkish") << "tr_TR" << true << "&Kaydet" << "&Kopyala";
        QTest::newRow("C") << "C" << false << "&Save" << "&Copy";
    }
    void qtTextsFollowTheLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(bool, translated);
        QFETCH(QString, save);
        QFETCH(QString, copy);
        QCOMPARE(installQtTranslations(QLocale(locale)), translated);
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), copy);
        QFileDialog dialog;
        dialog.setOptions(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const auto *buttons = dialog.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QStringList texts;
        for (const QAbstractButton *b : buttons->buttons())
            texts << b->text();
        QVERIFY2(texts.contains(save), qPrintable(texts.join(u'|')));
        installQtTranslations(QLocale::c());
    }

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

// Record files that cannot be made or written: said once, with the path and the system's
// reason, and the window goes on as without the record. And links another user planted.

#include "app/records.h"
#include "tests/support/loopback.h"
#include "tests/support/mainwindow.h"

#include <QCheckBox>
#include <QDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

class TestRecordFile : public QObject {
    Q_OBJECT

    // A session with one record (capture or log) at path: connect, a few sends and arrivals, the
    // end of the record. Returns what reached the exception box.
    static QStringList session(const QString &kind, const QString &path, qsizetype payload = 16)
    {
        LoopbackServer server;
        MainWindowFixture f;
        TfMain &w = f.open();
        auto records =
            std::make_unique<Records>(w, kind == u"capture" ? path : QString(), kind == u"log" ? path : QString());
        w.cmb2->SetText(server.portText());
        w.btnbaglan->click();
        [&] { QVERIFY(spinUntil([&] { return f.connected(); })); }();
        [&] { QVERIFY(server.waitForClient()); }();
        w.ch1->setChecked(false);
        const QByteArray text(payload, 'x');
        for (int i = 0; i < 4; ++i) {
            w.Edit1->SetText(text);
            w.btngonder->click();
            server.send(text);
            [&] { QVERIFY(spinUntil([&] { return w.Memo2->Text().size() >= text.size() * (i + 1); })); }();
        }
        [&] { QVERIFY(server.waitForReceived(text.size() * 4)); }();
        // The window went on: everything was sent and shown.
        [&] { QCOMPARE(w.Memo1->Text().size(), text.size() * 4 + w.Memo1->Text().indexOf(text)); }();
        records.reset();
        QCoreApplication::processEvents(); // what was found during the run is said from the loop
        return f.exceptions;
    }

private slots:
    void aFileThatCannotBeMadeIsSaidOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // as the system words it here; empty: any
#ifdef Q_OS_WIN
        const QString isFolder, missing;
#else
        const QString isFolder = QStringLiteral("Is a directory"), missing = QStringLiteral("No such file or directory");
#endif
        for (const char *kind : {"capture", "log"}) {
            QTest::addRow("%s: a folder in its place", kind) << kind << "folder" << isFolder;
            QTest::addRow("%s: its folder missing", kind) << kind << "missing/run.x" << missing;
        }
    }
    void aFileThatCannotBeMadeIsSaidOnce()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QString path = dir.filePath(name);
        const QStringList said = session(kind, path);
        QCOMPARE(said.size(), 1);
        const QString prefix = QStringLiteral("Cannot create file \"%1\". ").arg(QDir::toNativeSeparators(path));
        QVERIFY2(said[0].startsWith(prefix) && said[0].size() > prefix.size(), qPrintable(said[0]));
        if (!reason.isEmpty())
            QCOMPARE(said[0], prefix + reason);
    }

    void aFileThatCannotBeWrittenIsSaidOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("sizeLimit"); // 0: none
        QTest::addColumn<QString>("reason");
#ifdef Q_OS_WIN
        QSKIP("/dev/full and file size limits are tried on Linux");
#else
        for (const char *kind : {"capture", "log"}) {
            QTest::addRow("%s: no space left from the start", kind)
                << kind << "/dev/full" << qint64(0) << "No space left on device";
            // The limit is reached in the middle of the run, as a disk fills during a flood.
            QTest::addRow("%s: full in the middle of the run", kind)
                << kind << "" << qint64(32 * 1024) << "File too large";
        }
#endif
    }
    void aFileThatCannotBeWrittenIsSaidOnce()
    {
#ifndef Q_OS_WIN
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(qint64, sizeLimit);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        if (path.isEmpty())
            path = dir.filePath(QStringLiteral("run.x"));
        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        if (sizeLimit > 0) {
            struct rlimit limit = saved;
            limit.rlim_cur = rlim_t(sizeLimit);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        // Four bursts of 1 MiB each way: each one goes to the file at once, well past the limit.
        const QStringList said = session(kind, path, 1024 * 1024);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(said, QStringList{QStringLiteral("Cannot write to file \"%1\". %2").arg(path, reason)});
        if (sizeLimit > 0) {
            QFile file(path);
            QVERIFY(file.size() > 0 && file.size() <= sizeLimit);
        }
#endif
    }

    // A link in the record's place is followed only when it is the user's or root's own.
    void linksOfOtherUsersAreNotFollowed_data()
    {
        QTest::addColumn<uint>("owner");
        QTest::addColumn<bool>("followed");
        QTest::newRow("another user's link") << 65534u << false;
        QTest::newRow("one's own link") << uint(-1) << true;
    }
    void linksOfOtherUsersAreNotFollowed()
    {
#ifdef Q_OS_WIN
        QSKIP("links and their owners are tried on Linux");
#else
        QFETCH(uint, owner);
        QFETCH(bool, followed);
        if (owner != uint(-1) && ::geteuid() != 0)
            QSKIP("making a link of another user needs root");
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("victim"));
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        const QString link = dir.filePath(QStringLiteral("run.pcapng"));
        QVERIFY(QFile::link(target, link));
        if (owner != uint(-1))
            QCOMPARE(::lchown(QFile::encodeName(link).constData(), owner, owner), 0);
        const QStringList said = session(QStringLiteral("capture"), link);
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        if (followed) {
            QCOMPARE(said, QStringList());
            QVERIFY(content.startsWith("\x0a\x0d\x0d\x0a")); // a pcapng section header
        } else {
            const QString why = QStringLiteral("Permission denied (a symbolic link of another user on its way is "
                                               "not followed)");
            QCOMPARE(said, QStringList{QStringLiteral("Cannot create file \"%1\". %2").arg(link, why)});
            QCOMPARE(content, QByteArray("keep me"));
        }
#endif
    }
};

QTEST_MAIN(TestRecordFile)
#include "tst_recordfile.moc"

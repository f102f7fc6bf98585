#include "terminal/inifile.h"
#include "tests/support/files.h"
#include "tests/support/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

// Where the settings file lives and how it is written: beside the program or per user, through
// symbolic and hard links, and, as an ordinary user, in folders that user may not write.
namespace {

const QByteArray k14Lines = "[PORT]\r\ncmb1=127.0.0.1\r\ncmb2=9988\r\n[MAKRO]\r\nMAKRO1=\r\nMAKRO2=\r\nMAKRO3=\r\n"
                            "MAKRO4=\r\nMAKRO5=\r\nMAKRO6=\r\nMAKRO7=\r\nMAKRO8=\r\nMAKRO9=\r\nMAKRO10=\r\n";


// The variable that places the per-user settings, and the folder and file it holds them in.
#ifdef _WIN32
const char kConfigHome[] = "APPDATA";
const QString kPerUserFile = QStringLiteral("Miraven/miraven.Ini");
#else
const char kConfigHome[] = "XDG_CONFIG_HOME";
const QString kPerUserFile = QStringLiteral("miraven/miraven.Ini");
#endif

#ifndef _WIN32
struct stat statOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// The scenarios an ordinary user runs in a child process (see runAsUser). Exit code 0: as
// expected; anything else says what went wrong.
int childScenario(const QByteArray &name, const QString &dir)
{
    if (::geteuid() == 0)
        return 98; // root may write anything: it would prove nothing
    if (name == "in-place") { // a file it may write, in a folder it may not
        try {
            ini::writeString(dir + "/ro/miraven.Ini", "PORT", "cmb1", "written");
        } catch (const std::exception &) {
            return 10;
        }
        return 0;
    }
    if (name == "unwritable") { // a file it may not write, in a folder it may not
        try {
            ini::writeString(dir + "/ro/locked.Ini", "PORT", "cmb1", "written");
            return 11;
        } catch (const EIniFileException &e) {
            return QByteArray(e.what()) == "Unable to write to " + QFile::encodeName(dir) + "/ro/locked.Ini" ? 0 : 12;
        }
    }
    if (name == "packaged") { // installed where it may not write; settings per user
        MainWindowFixture f;
        settings::setProgramFilePath(dir + "/ro/miraven");
        settings::setPerUser(true);
        f.open();
        if (!f.exceptions.isEmpty())
            return 20;
        try {
            ayarYaz("PORT", "cmb1", "host.example");
            ayarYaz("PORT", "cmb2", "23");
            ayarYaz("MAKRO", "MAKRO3", "AT#013");
        } catch (const std::exception &) {
            return 21;
        }
        return 0;
    }
    return 99;
}
#endif

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
#ifndef _WIN32

    // Runs a scenario as the user nobody. False (with the reason) where that cannot be done.
    bool runAsUser(const QByteArray &scenario, const QString &dir, int *exitCode, QString *why)
    {
        if (::geteuid() != 0) { // already an ordinary user
            *exitCode = childScenario(scenario, dir);
            return true;
        }
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty()) {
            *why = QStringLiteral("setpriv is not installed");
            return false;
        }
        // A copy of this program where nobody may run it, whatever folder the build is in.
        const QString copy = dir + "/tst_settings";
        if (!QFileInfo::exists(copy)) {
            QFile::copy(QCoreApplication::applicationFilePath(), copy);
            QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                            QFileDevice::ExeGroup);
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MIRAVEN_SCENARIO"), QString::fromLatin1(scenario));
        env.insert(QStringLiteral("MIRAVEN_SCENARIO_DIR"), dir);
        env.insert(QStringLiteral("HOME"), dir + "/home");
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir + "/home");
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        child.setProcessEnvironment(env);
        child.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", copy});
        if (!child.waitForFinished(60000)) {
            *why = QStringLiteral("the child did not finish");
            return false;
        }
        const QByteArray err = child.readAllStandardError();
        if (child.exitStatus() != QProcess::NormalExit || err.contains("setpriv:")) {
            *why = QStringLiteral("setpriv could not run it: ") + QString::fromLocal8Bit(err.left(300));
            return false;
        }
        *exitCode = child.exitCode();
        return true;
    }

    // A folder for a scenario: ro/ that the user may read but not write, home/ that it owns.
    QString prepare(QTemporaryDir &tmp)
    {
        const QString dir = tmp.path();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadOther | QFileDevice::ExeOther);
        QDir(dir).mkdir("ro");
        QDir(dir).mkdir("home");
        if (::geteuid() == 0)
            ::chown(QFile::encodeName(dir + "/home").constData(), 65534, 65534);
        return dir;
    }
    void seal(const QString &dir)
    {
        QFile::setPermissions(dir + "/ro", QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther);
    }

#endif

private slots:
    void cleanup()
    {
        settings::setPerUser(false);
        qunsetenv(kConfigHome);
    }

    void perUserPath_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("path");
        const QString home = QDir::homePath();
#ifdef _WIN32
        QTest::newRow("set") << "C:\\Users\\u\\AppData\\Roaming" << "C:/Users/u/AppData/Roaming/Miraven/miraven.Ini";
        QTest::newRow("unset") << "" << home + "/AppData/Roaming/Miraven/miraven.Ini";
        QTest::newRow("relative: ignored") << "cfg" << home + "/AppData/Roaming/Miraven/miraven.Ini";
#else
        QTest::newRow("set") << "/srv/cfg" << "/srv/cfg/miraven/miraven.Ini";
        QTest::newRow("unset") << "" << home + "/.config/miraven/miraven.Ini";
        QTest::newRow("relative: ignored") << "cfg" << home + "/.config/miraven/miraven.Ini";
#endif
    }
    void perUserPath()
    {
        QFETCH(QString, xdg);
        QFETCH(QString, path);
        if (xdg.isEmpty())
            qunsetenv(kConfigHome);
        else
            qputenv(kConfigHome, xdg.toLocal8Bit());
        QCOMPARE(settings::perUserSettingsFilePath(), path);
        settings::setPerUser(true);
        QCOMPARE(settings::settingsFilePath(), path);
        settings::setPerUser(false);
        settings::setProgramFilePath("/opt/m/miraven");
        QCOMPARE(settings::settingsFilePath(), QStringLiteral("/opt/m/miraven.Ini"));
        settings::setProgramFilePath({});
    }

    void aPackagedProgramKeepsItsSettingsPerUser()
    {
        MainWindowFixture f;
        qputenv(kConfigHome, f.dir.filePath("cfg").toLocal8Bit());
        settings::setPerUser(true);
        f.open();
        QVERIFY(f.exceptions.isEmpty());
        const QString file = f.dir.filePath("cfg/" + kPerUserFile);
        QCOMPARE(readAll(file), k14Lines);
#ifndef _WIN32
        QCOMPARE(statOf(f.dir.filePath("cfg/miraven")).st_mode & 0777, 0700u);
#endif
        QVERIFY(!QFileInfo::exists(f.dir.filePath("miraven.Ini"))); // nothing beside the program
        ayarYaz("MAKRO", "MAKRO2", "x");
        QVERIFY(readAll(file).contains("MAKRO2=x\r\n"));
    }

    // An administrator's settings file beside the packaged program: read until the user has
    // a file of their own, which then starts as a copy of it.
    void administratorsDefaultsStartThePerUserFile()
    {
        MainWindowFixture f;
        qputenv(kConfigHome, f.dir.filePath("cfg").toLocal8Bit());
        settings::setPerUser(true);
        const QByteArray defaults = "; site defaults\r\n[PORT]\r\ncmb1=plc.local\r\ncmb2=502\r\n[MAKRO]\r\nMAKRO1=AT\r\n";
        writeAll(f.dir.filePath("miraven.Ini"), defaults);
        f.open();
        QVERIFY(f.exceptions.isEmpty());
        QCOMPARE(f.window->cmb1->Text(), QByteArray("plc.local"));
        QCOMPARE(f.window->cmb2->Text(), QByteArray("502"));
        QCOMPARE(f.window->M[0]->Hint, QByteArray("AT"));
        const QByteArray mine = readAll(f.dir.filePath("cfg/" + kPerUserFile));
        QVERIFY2(mine.startsWith(defaults + "MAKRO2=\r\n"), mine.constData());
        QCOMPARE(readAll(f.dir.filePath("miraven.Ini")), defaults); // the defaults stay as they are
    }

    void aConfigurationHomeThatIsAFile()
    {
        MainWindowFixture f;
        writeAll(f.dir.filePath("cfgfile"), "x");
        qputenv(kConfigHome, f.dir.filePath("cfgfile").toLocal8Bit());
        settings::setPerUser(true);
        f.open();
        QCOMPARE(f.exceptions, QStringList{"Unable to write to " + f.dir.filePath("cfgfile/" + kPerUserFile)});
        QCOMPARE(f.window->cmb1->Text(), QByteArray("127.0.0.1")); // the settings part ended there
    }

#ifdef _WIN32
    // Symbolic and hard links, file modes, owners and ordinary users are cases of a POSIX
    // system; the Windows build names them here instead of leaving them out unseen.
    void linksAndPermissionsArePosixCases()
    {
        QSKIP("symbolic and hard links, modes, owners, planted links, the file-size limit and "
              "setpriv are tried on Linux only");
    }
#else
    void aSymbolicLinkStaysALink()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("real.Ini"), link = dir.filePath("miraven.Ini");
        writeAll(target, "[PORT]\r\ncmb1=a\r\n");
        QVERIFY(QFile::link(target, link));
        ini::writeString(link, "PORT", "cmb1", "b");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("[PORT]\r\ncmb1=b\r\n"));
        // A link to that link: followed to its end, both stay links.
        const QString outer = dir.filePath("outer.Ini");
        QVERIFY(QFile::link(link, outer));
        ini::writeString(outer, "PORT", "cmb1", "c");
        QVERIFY(QFileInfo(outer).isSymLink() && QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("[PORT]\r\ncmb1=c\r\n"));
        // A link of one's own to a file not made yet: the file is made where it points.
        const QString dangling = dir.filePath("dangling.Ini"), made = dir.filePath("made.Ini");
        QVERIFY(QFile::link(made, dangling));
        ini::writeString(dangling, "PORT", "cmb1", "d");
        QVERIFY(QFileInfo(dangling).isSymLink());
        QCOMPARE(readAll(made), QByteArray("[PORT]\r\ncmb1=d\r\n"));
    }

    // A link that another user put in the way (a program run with privileges, say through
    // sudo -E, writing into that user's configuration folder) is never followed: nothing is
    // made or changed where it points, and the write fails.
    void aLinkPlantedByAnotherUserIsNotFollowed_data()
    {
        QTest::addColumn<QString>("linkName");   // the link, as a name in the folder
        QTest::addColumn<QString>("pointsTo");   // where it points, in the folder
        QTest::addColumn<QString>("writeTo");    // the settings file written
        QTest::addColumn<QString>("untouched");  // what must not be made or changed
        QTest::newRow("to a file") << "miraven.Ini" << "victim" << "miraven.Ini" << "victim";
        QTest::newRow("dangling") << "miraven.Ini" << "created" << "miraven.Ini" << "created";
        QTest::newRow("a folder on the way") << "cfg" << "elsewhere" << "cfg/miraven.Ini" << "elsewhere/miraven.Ini";
        QTest::newRow("behind a link of one's own") << "planted" << "victim" << "own.Ini" << "victim";
    }
    void aLinkPlantedByAnotherUserIsNotFollowed()
    {
        if (::geteuid() != 0)
            QSKIP("only root can make a link that belongs to another user");
        QFETCH(QString, linkName);
        QFETCH(QString, pointsTo);
        QFETCH(QString, writeTo);
        QFETCH(QString, untouched);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("elsewhere");
        writeAll(dir.filePath("victim"), "secret\n");
        QVERIFY(QFile::link(dir.filePath(pointsTo), dir.filePath(linkName)));
        QCOMPARE(::lchown(QFile::encodeName(dir.filePath(linkName)).constData(), 65534, 65534), 0);
        QFile::link(dir.filePath("planted"), dir.filePath("own.Ini")); // root's own link to the planted one
        const QByteArray before = readAll(dir.filePath(untouched));

        try {
            ini::writeString(dir.filePath(writeTo), "PORT", "cmb1", "x");
            QFAIL("the write followed the planted link");
        } catch (const EIniFileException &e) {
            QCOMPARE(QString::fromUtf8(e.what()), "Unable to write to " + dir.filePath(writeTo));
        }
        QCOMPARE(readAll(dir.filePath(untouched)), before);
        QVERIFY(QFileInfo(dir.filePath(linkName)).isSymLink());
    }

    // A write in place that fails part-way (here the file-size limit stops it) puts the old bytes
    // back; when even that fails, the message says so instead of claiming the file is intact.
    void aFailedWriteInPlaceIsRolledBack_data()
    {
        QTest::addColumn<int>("oldSize");
        QTest::addColumn<bool>("restored");
        QTest::newRow("old bytes fit under the limit") << 100 << true;
        QTest::newRow("old bytes beyond the limit") << 300 << false;
    }
    void aFailedWriteInPlaceIsRolledBack()
    {
        QFETCH(int, oldSize);
        QFETCH(bool, restored);
        QTemporaryDir dir;
        const QString file = dir.filePath("miraven.Ini"), other = dir.filePath("second-name.Ini");
        const QByteArray head = "[PORT]\r\ncmb1=old\r\n;";
        const QByteArray old = head + QByteArray(oldSize - head.size(), 'o');
        writeAll(file, old);
        // A second name makes the write go in place.
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);

        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit limit = saved;
        limit.rlim_cur = 150;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QString message;
        try {
            ini::writeString(file, "PORT", "cmb1", QByteArray(400, 'n'));
        } catch (const EIniFileException &e) {
            message = QString::fromUtf8(e.what());
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        if (restored) {
            QCOMPARE(message, "Unable to write to " + file);
            QCOMPARE(readAll(other), old);
        } else {
            QVERIFY2(message.startsWith("Unable to write to " + file + ", and its old content could not be put back"),
                     qPrintable(message));
        }
    }

    // A file with a second name is written in place: both names see the change.
    void aHardLinkedFileIsWrittenInPlace()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("miraven.Ini"), other = dir.filePath("other.Ini");
        writeAll(file, "[PORT]\r\ncmb1=a\r\n");
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
        const ino_t inode = statOf(file).st_ino;
        ini::writeString(file, "PORT", "cmb1", "longer value");
        QCOMPARE(statOf(file).st_ino, inode);
        QCOMPARE(readAll(other), QByteArray("[PORT]\r\ncmb1=longer value\r\n"));
        ini::writeString(file, "PORT", "cmb1", "s"); // shorter: nothing of the old tail is left
        QCOMPARE(readAll(other), QByteArray("[PORT]\r\ncmb1=s\r\n"));
    }

    // As an ordinary user: a file it may write in a folder it may not is written in place (same
    // inode, same owner); one it may not write fails and stays as it was.
    void asAnOrdinaryUser()
    {
        QTemporaryDir tmp;
        const QString dir = prepare(tmp);
        const QString writable = dir + "/ro/miraven.Ini", locked = dir + "/ro/locked.Ini";
        const QByteArray before = "[PORT]\r\ncmb1=old\r\n";
        writeAll(writable, before);
        writeAll(locked, before);
        QFile::setPermissions(writable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        seal(dir);
        const struct stat st = statOf(writable);

        int code = -1;
        QString why;
        if (!runAsUser("in-place", dir, &code, &why))
            QSKIP(qPrintable("cannot run as an ordinary user here: " + why));
        QCOMPARE(code, 0);
        QCOMPARE(readAll(writable), QByteArray("[PORT]\r\ncmb1=written\r\n"));
        QCOMPARE(statOf(writable).st_ino, st.st_ino);
        QCOMPARE(statOf(writable).st_uid, st.st_uid);
        QCOMPARE(statOf(writable).st_mode, st.st_mode);

        QVERIFY(runAsUser("unwritable", dir, &code, &why));
        QCOMPARE(code, 0);
        QCOMPARE(readAll(locked), before);
    }

    // A packaged program installed where its user may not write starts without a box and
    // keeps host, port and macros in the user's own file.
    void aPackagedProgramAsAnOrdinaryUser()
    {
        QTemporaryDir tmp;
        const QString dir = prepare(tmp);
        seal(dir);
        int code = -1;
        QString why;
        if (!runAsUser("packaged", dir, &code, &why))
            QSKIP(qPrintable("cannot run as an ordinary user here: " + why));
        QCOMPARE(code, 0);
        const QByteArray mine = readAll(dir + "/home/.config/miraven/miraven.Ini");
        QVERIFY2(mine.contains("cmb1=host.example\r\ncmb2=23\r\n") && mine.contains("MAKRO3=AT#013\r\n"), mine.constData());
        QVERIFY(!QFileInfo::exists(dir + "/ro/miraven.Ini"));
    }
#endif
};

int main(int argc, char **argv)
{
#ifndef _WIN32
    const QByteArray scenario = qgetenv("MIRAVEN_SCENARIO");
    if (!scenario.isEmpty()) {
        QApplication app(argc, argv);
        return childScenario(scenario, qEnvironmentVariable("MIRAVEN_SCENARIO_DIR"));
    }
#endif
    QApplication app(argc, argv);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"

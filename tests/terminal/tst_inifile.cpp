#include "terminal/inifile.h"
#include "tests/support/files.h"
#include "terminal/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kFirstRun = "[PORT]\r\ncmb1=127.0.0.1\r\ncmb2=9988\r\n[MAKRO]\r\n"
                             "MAKRO1=\r\nMAKRO2=\r\nMAKRO3=\r\nMAKRO4=\r\nMAKRO5=\r\n"
                             "MAKRO6=\r\nMAKRO7=\r\nMAKRO8=\r\nMAKRO9=\r\nMAKRO10=\r\n";

// The start-up reads, in their order.
QStringList startupReads()
{
    QStringList got;
    got << QString::fromLatin1(ayarOku("PORT", "cmb1", "127.0.0.1"));
    got << QString::fromLatin1(ayarOku("PORT", "cmb2", "9988"));
    for (int n = 1; n <= 10; ++n)
        got << QString::fromLatin1(ayarOku("MAKRO", "MAKRO" + QByteArray::number(n), ""));
    return got;
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        settings::setProgramFilePath(m_dir.filePath("miraven"));
        QFile::remove(m_dir.filePath("miraven.Ini"));
    }
    void cleanupTestCase() { settings::setProgramFilePath({}); }

    void pathRule_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("settingsFile");
        QTest::newRow("extension replaced") << "/opt/t/term.exe" << "/opt/t/term.Ini";
        QTest::newRow("no extension") << "/opt/t/term" << "/opt/t/term.Ini";
        QTest::newRow("dot in folder") << "/opt/tools.old/term" << "/opt/tools.old/term.Ini";
        QTest::newRow("last dot only") << "/opt/a.b.c" << "/opt/a.b.Ini";
    }
    void pathRule()
    {
        QFETCH(QString, program);
        QFETCH(QString, settingsFile);
        QCOMPARE(settings::settingsFilePathFor(program), settingsFile);
    }

    void firstStartWritesTheFourteenLines()
    {
        const QStringList got = startupReads();
        QCOMPARE(got.mid(0, 2), (QStringList{"127.0.0.1", "9988"}));
        QCOMPARE(got.mid(2), QStringList(10, QString()));
        QCOMPARE(readAll(settings::settingsFilePath()), kFirstRun);
        // A second start finds the macros empty and writes them again, changing no byte.
        startupReads();
        QCOMPARE(readAll(settings::settingsFilePath()), kFirstRun);
    }

    void startupOnHandEditedFiles_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QByteArray full = kFirstRun;
        QTest::newRow("empty cmb1 filled in")
            << QByteArray(full).replace("cmb1=127.0.0.1", "cmb1=") << full << "127.0.0.1" << "9988";
        QTest::newRow("user changed cmb2 only")
            << QByteArray(full).replace("cmb2=9988", "cmb2=23") << QByteArray(full).replace("cmb2=9988", "cmb2=23")
            << "127.0.0.1" << "23";
        QTest::newRow("MAKRO4 missing goes last in its section")
            << QByteArray(full).replace("MAKRO4=\r\n", "")
            << QByteArray(full).replace("MAKRO4=\r\n", "").append("MAKRO4=\r\n") << "127.0.0.1" << "9988";
        QByteArray withUserLines = "; mine\r\n[PORT]\r\ncmb1=plc.local\r\ncmb2=502\r\n\r\n[OTHER]\r\nx=1\r\n";
        QTest::newRow("missing section appended, user lines kept")
            << withUserLines
            << withUserLines + "[MAKRO]\r\nMAKRO1=\r\nMAKRO2=\r\nMAKRO3=\r\nMAKRO4=\r\nMAKRO5=\r\nMAKRO6=\r\n"
                               "MAKRO7=\r\nMAKRO8=\r\nMAKRO9=\r\nMAKRO10=\r\n"
            << "plc.local" << "502";
        QTest::newRow("LF-only file without final line end")
            << QByteArray("[PORT]\ncmb1=h\ncmb2=1\n[MAKRO]\nMAKRO1=a\nMAKRO2=b\nMAKRO3=c\nMAKRO4=d\nMAKRO5=e\n"
                          "MAKRO6=f\nMAKRO7=g\nMAKRO8=h\nMAKRO9=i")
            << QByteArray("[PORT]\ncmb1=h\ncmb2=1\n[MAKRO]\nMAKRO1=a\nMAKRO2=b\nMAKRO3=c\nMAKRO4=d\nMAKRO5=e\n"
                          "MAKRO6=f\nMAKRO7=g\nMAKRO8=h\nMAKRO9=i\r\nMAKRO10=\r\n")
            << "h" << "1";
    }
    void startupOnHandEditedFiles()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, host);
        QFETCH(QString, port);
        writeAll(settings::settingsFilePath(), before);
        const QStringList got = startupReads();
        QCOMPARE(got.at(0), host);
        QCOMPARE(got.at(1), port);
        QCOMPARE(readAll(settings::settingsFilePath()), after);
    }

    // What the reader makes of files only a hand edit produces.
    void readingHandEditedContent_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("CR-only lines") << QByteArray("[PORT]\rcmb1=a\rcmb2=b") << QByteArray("PORT") << QByteArray("cmb2") << QByteArray("b");
        QTest::newRow("names fold case, blanks around names") << QByteArray(" [ port ] \r\n  CMB1 =x\r\n") << QByteArray("PORT") << QByteArray("cmb1") << QByteArray("x");
        QTest::newRow("value kept exactly") << QByteArray("[P]\r\nk= \"a b\" \r\n") << QByteArray("P") << QByteArray("k") << QByteArray(" \"a b\" ");
        QTest::newRow("first key wins") << QByteArray("[P]\r\nk=1\r\nk=2\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("1");
        QTest::newRow("only first section counts") << QByteArray("[P]\r\na=1\r\n[P]\r\nk=2\r\n") << QByteArray("P") << QByteArray("k") << QByteArray();
        QTest::newRow("key in another section") << QByteArray("[Q]\r\nk=1\r\n[P]\r\n") << QByteArray("P") << QByteArray("k") << QByteArray();
        QTest::newRow("comment line") << QByteArray("[P]\r\n;k=1\r\nk=2\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("2");
        QTest::newRow("section line without ]") << QByteArray("[P\r\nk=1\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("1");
        QTest::newRow("equals in value") << QByteArray("[P]\r\nk=a=b\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("a=b");
        QTest::newRow("cut at byte 0") << QByteArray("[P]\r\nk=ab\0cd\r\n", 14) << QByteArray("P") << QByteArray("k") << QByteArray("ab");
        QTest::newRow("high bytes") << QByteArray("[P]\r\nk=\xFE\xF0\xFF\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("\xFE\xF0\xFF");
        QTest::newRow("3000 bytes cut to 2047") << QByteArray("[P]\r\nk=" + QByteArray(3000, 'v') + "\r\n") << QByteArray("P") << QByteArray("k") << QByteArray(2047, 'v');
        QTest::newRow("several megabytes line") << QByteArray("[P]\r\nx=" + QByteArray(4 << 20, 'z') + "\r\nk=1") << QByteArray("P") << QByteArray("k") << QByteArray("1");
        QTest::newRow("empty file") << QByteArray() << QByteArray("P") << QByteArray("k") << QByteArray();
    }
    void readingHandEditedContent()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QCOMPARE(ini::valueIn(content, section, key), value);
    }

    void writingKeepsEveryOtherLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("in place, other line ends kept")
            << QByteArray("x\n[P]\rk=old\nz=1\r\n\r\n;c\r\n") << QByteArray("new")
            << QByteArray("x\n[P]\rk=new\nz=1\r\n\r\n;c\r\n");
        QTest::newRow("new key after last non-blank line of section")
            << QByteArray("[P]\r\na=1\r\n\r\n[Q]\r\n") << QByteArray("v") << QByteArray("[P]\r\na=1\r\nk=v\r\n\r\n[Q]\r\n");
        QTest::newRow("into a repeated section: the first")
            << QByteArray("[P]\r\n[P]\r\nk=2\r\n") << QByteArray("v") << QByteArray("[P]\r\nk=v\r\n[P]\r\nk=2\r\n");
        QTest::newRow("value cut at line break") << QByteArray("[P]\r\nk=1\r\n") << QByteArray("a\r\n[X]")
                                                 << QByteArray("[P]\r\nk=a\r\n");
        QTest::newRow("empty value") << QByteArray("[P]\r\nk=1\r\n") << QByteArray("") << QByteArray("[P]\r\nk=\r\n");
        QTest::newRow("file ends without line end")
            << QByteArray("[Q]\r\nq=1") << QByteArray("v") << QByteArray("[Q]\r\nq=1\r\n[P]\r\nk=v\r\n");
        QTest::newRow("binary junk kept")
            << QByteArray("\x01\xFF\0junk\r\n[P]\r\n", 14) << QByteArray("v") << QByteArray("\x01\xFF\0junk\r\n[P]\r\nk=v\r\n", 19);
    }
    void writingKeepsEveryOtherLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        QCOMPARE(ini::withValue(before, "P", "k", value), after);
    }

    void aFolderWhereTheFileShouldBe()
    {
        const QString path = settings::settingsFilePath();
        QVERIFY(QDir().mkpath(path));
        QCOMPARE(ini::readString(path, "PORT", "cmb1"), QByteArray());
        try {
            ayarOku("PORT", "cmb1", "127.0.0.1");
            QFAIL("no exception");
        } catch (const EIniFileException &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Unable to write to ") + path);
        }
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QDir(path).removeRecursively());
    }

    void aFolderThatCannotBeWrittenLeavesTheFileAsItWas()
    {
        // Root may write anywhere, so the folder is made to be missing instead.
        const QString path = m_dir.filePath("missing/miraven.Ini");
        QVERIFY_THROWS_EXCEPTION(EIniFileException, ini::writeString(path, "P", "k", "v"));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"

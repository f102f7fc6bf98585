#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kWineTahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
}

// The window font is chosen by what it measures, however the fonts on the machine are installed:
// each case runs in a process of its own, with fontconfig's user folders in a temporary place.
class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void windowFontMeasuresOrSaysWhy_data()
    {
        QTest::addColumn<bool>("fontconfigKnowsTahoma"); // an unchanged copy in the user's fonts
        QTest::addColumn<QStringList>("files");          // the files tried for the loaded copy
        QTest::addColumn<bool>("measures");              // 11/13, else one line on stderr
        QTest::newRow("the files looked for by default") << false << QStringList{} << true;
        QTest::newRow("file only") << false << QStringList{kWineTahoma} << true;
        QTest::newRow("file and fontconfig") << true << QStringList{kWineTahoma} << true;
        QTest::newRow("first file missing") << true << QStringList{"/nonexistent/tahoma.ttf", kWineTahoma} << true;
        QTest::newRow("fontconfig only") << true << QStringList{"/nonexistent/tahoma.ttf"} << false;
        QTest::newRow("not a font") << false << QStringList{"/etc/hostname"} << false;
    }
    void windowFontMeasuresOrSaysWhy()
    {
        QFETCH(bool, fontconfigKnowsTahoma);
        QFETCH(QStringList, files);
        QFETCH(bool, measures);
        QVERIFY2(QFile::exists(kWineTahoma), "fonts-wine is not installed");

        QTemporaryDir home;
        QVERIFY(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("data/fonts"));
        if (fontconfigKnowsTahoma)
            QVERIFY(QFile::copy(kWineTahoma, home.filePath(QStringLiteral("data/fonts/tahoma.ttf"))));

        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(FONTPROBE), files);
        QVERIFY(probe.waitForFinished(60000));
        QCOMPARE(probe.exitCode(), 0);
        const QStringList out = QString::fromLocal8Bit(probe.readAllStandardOutput()).remove(u'\r').split(u'\n');
        const QString err = QString::fromLocal8Bit(probe.readAllStandardError()).remove(u'\r');
        QVERIFY2(out.size() >= 2, qPrintable(out.join(u'|')));
        const QStringList saying = err.split(u'\n').filter(QStringLiteral("miraven:"));

        if (measures) {
            QCOMPARE(out.at(1), QStringLiteral("11 13"));
            QVERIFY2(saying.isEmpty(), qPrintable(err));
        } else {
            // Said once, naming what was tried, and the font in use is named.
            QCOMPARE(saying.size(), 1);
            QVERIFY2(saying.first().contains(files.first()), qPrintable(err));
            QVERIFY2(saying.first().contains(out.at(0)), qPrintable(err));
        }
    }
};

QTEST_GUILESS_MAIN(TestFonts)
#include "tst_fonts.moc"

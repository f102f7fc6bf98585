#include "core/codepage.h"

#include <QTest>

class TestCodePage : public QObject {
    Q_OBJECT
private slots:
    void turkishLetters_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("G breve") << 0xD0 << 0x011E;
        QTest::newRow("I dot") << 0xDD << 0x0130;
        QTest::newRow("S cedilla") << 0xDE << 0x015E;
        QTest::newRow("g breve") << 0xF0 << 0x011F;
        QTest::newRow("dotless i") << 0xFD << 0x0131;
        QTest::newRow("s cedilla") << 0xFE << 0x015F;
        QTest::newRow("c cedilla (as Latin-1)") << 0xE7 << 0x00E7;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("undefined 0x81 kept") << 0x81 << 0x0081;
        QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
        QTest::newRow("byte 0") << 0x00 << 0x0000;
    }
    void turkishLetters()
    {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        QCOMPARE(int(cp1254::toUnicode(static_cast<unsigned char>(byte))), unicode);
        QCOMPARE(cp1254::fromUnicode(QString(QChar(char16_t(unicode)))), QByteArray(1, char(byte)));
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        QCOMPARE(cp1254::fromUnicode(cp1254::toUnicode(all)), all);
    }

    void outsideTheCodePageBecomesQuestionMark()
    {
        // Cyrillic, a CJK character and a character outside the BMP (one '?', not two).
        const QString text = QStringLiteral("a\u0416b\u4E2D") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("c");
        QCOMPARE(cp1254::fromUnicode(text), QByteArray("a?b??c"));
        QCOMPARE(cp1254::fromUnicode(QStringLiteral("Bağlanıldı.")), QByteArray("Ba\xF0lan\xFDld\xFD."));
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"

#include "core/errors.h"
#include "terminal/strtoint.h"

#include <QTest>

class TestStrToInt : public QObject {
    Q_OBJECT
private slots:
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("80") << QByteArray("80") << 80;
        QTest::newRow("+80") << QByteArray("+80") << 80;
        QTest::newRow("0080") << QByteArray("0080") << 80;
        QTest::newRow("$50") << QByteArray("$50") << 80;
        QTest::newRow("x50") << QByteArray("x50") << 80;
        QTest::newRow("X50") << QByteArray("X50") << 80;
        QTest::newRow("0x50") << QByteArray("0x50") << 80;
        QTest::newRow("0X50") << QByteArray("0X50") << 80;
        QTest::newRow("$0050") << QByteArray("$0050") << 80;
        QTest::newRow("blanks before") << QByteArray("   80") << 80;
        QTest::newRow("-$1") << QByteArray("-$1") << -1;
        QTest::newRow("0") << QByteArray("0") << 0;
        QTest::newRow("-0") << QByteArray("-0") << 0;
        QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483648LL);
        QTest::newRow("$FFFFFFFF") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("$80000000") << QByteArray("$80000000") << int(-2147483648LL);
        QTest::newRow("-$80000000 wraps") << QByteArray("-$80000000") << int(-2147483648LL);
        QTest::newRow("$ff lower") << QByteArray("$ff") << 255;
        QTest::newRow("leading zeros long") << QByteArray("000000000000002147483647") << 2147483647;
        QTest::newRow("port $2704") << QByteArray("$2704") << 9988;
        QTest::newRow("blank before port") << QByteArray(" 9988") << 9988;
    }
    void accepted()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QCOMPARE(StrToInt(text), value);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("blanks only") << QByteArray("   ");
        QTest::newRow("trailing blank") << QByteArray("80 ");
        QTest::newRow("inner blank") << QByteArray("8 0");
        QTest::newRow("two signs") << QByteArray("--80");
        QTest::newRow("blank after sign") << QByteArray("- 80");
        QTest::newRow("prefix only $") << QByteArray("$");
        QTest::newRow("prefix only 0x") << QByteArray("0x");
        QTest::newRow("sign only") << QByteArray("-");
        QTest::newRow("tab is not a blank") << QByteArray("\t80");
        QTest::newRow("hex digit in decimal") << QByteArray("12a");
        QTest::newRow("too big") << QByteArray("2147483648");
        QTest::newRow("too small") << QByteArray("-2147483649");
        QTest::newRow("$100000000") << QByteArray("$100000000");
        QTest::newRow("two prefixes") << QByteArray("$0x1");
        QTest::newRow("letters") << QByteArray("abc");
        QTest::newRow("byte 0 after digits") << QByteArray("80\0", 3);
    }
    void refused()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!tryStrToInt(text).has_value());
        try {
            StrToInt(text);
            QFAIL("no exception");
        } catch (const EConvertError &e) {
            // A message is a C string: a byte 0 in the text ends it there.
            const QByteArray expected =
                QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)).toUtf8();
            QCOMPARE(QByteArray(e.what()), QByteArray(expected.constData()));
        }
    }

    void messageShowsTheTextInTheCodePage()
    {
        try {
            StrToInt("\xFE\xF0");
            QFAIL("no exception");
        } catch (const EConvertError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("'şğ' is not a valid integer value"));
        }
    }
};

QTEST_GUILESS_MAIN(TestStrToInt)
#include "tst_strtoint.moc"

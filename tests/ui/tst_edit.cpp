#include "core/codepage.h"
#include "ui/edit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

// The one-line edit: no length limit, and what is inserted keeps only the part before its first
// line break, wherever it goes in the text.
class TestEdit : public QObject {
    Q_OBJECT

private slots:
    void pastedLineBreaks_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("cursor");
        QTest::newRow("CR LF into an empty box") << "" << 0 << 0 << "ab\r\ncd" << "ab" << 2;
        QTest::newRow("lone LF") << "" << 0 << 0 << "ab\ncd" << "ab" << 2;
        QTest::newRow("lone CR") << "" << 0 << 0 << "ab\rcd" << "ab" << 2;
        QTest::newRow("a break first") << "xy" << 1 << 0 << "\nab" << "xy" << 1;
        QTest::newRow("in the middle") << "xy" << 1 << 0 << "ab\r\ncd" << "xaby" << 3;
        QTest::newRow("like its neighbours") << "xb" << 1 << 0 << "b\nb" << "xbb" << 2;
        QTest::newRow("over a selection") << "x123y" << 1 << 3 << "ab\ncd" << "xaby" << 3;
        QTest::newRow("at the end") << "xy" << 2 << 0 << "y\r\ny" << "xyy" << 3;
        QTest::newRow("no break") << "xy" << 1 << 0 << "ab" << "xaby" << 3;
    }
    void pastedLineBreaks()
    {
        QFETCH(QString, before);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QFETCH(int, cursor);
        TEdit edit;
        edit.setText(before);
        edit.setSelection(selStart, selLength);
        if (selLength == 0)
            edit.setCursorPosition(selStart);
        QGuiApplication::clipboard()->setText(pasted);
        edit.paste();
        QCOMPARE(edit.text(), after);
        QCOMPARE(edit.cursorPosition(), cursor);
        // Typing goes on as usual after it.
        QTest::keyClicks(&edit, "!");
        QCOMPARE(edit.text(), QString(after).insert(cursor, u'!'));
    }

    void noLengthLimit()
    {
        TEdit edit;
        QByteArray text(1 << 20, 'q');
        text[40000] = '\xD0'; // a code page capital past Qt's default limit of 32767
        QGuiApplication::clipboard()->setText(cp1254::toUnicode(text));
        edit.paste();
        QCOMPARE(edit.Text(), text);
        edit.SetText(text + "r");
        QCOMPARE(edit.Text().size(), text.size() + 1);
    }
};

QTEST_MAIN(TestEdit)
#include "tst_edit.moc"

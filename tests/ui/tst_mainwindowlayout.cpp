#include "ui/containers.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/glyphbutton.h"
#include "ui/mainwindowlayout.h"
#include "ui/pane.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace {
QRect inWindow(QWidget *window, const char *name)
{
    auto *w = window->findChild<QWidget *>(QString::fromLatin1(name));
    if (!w)
        return QRect(-1, -1, 0, 0);
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}
} // namespace

class TestMainWindowLayout : public QObject {
    Q_OBJECT
    QWidget *m_window = nullptr;
    MainControls c{};

private slots:
    void initTestCase()
    {
        fonts::install();
        m_window = new QWidget;
        c = buildMainWindow(m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanupTestCase() { delete m_window; }

    void geometry_data()
    {
        QTest::addColumn<int>("dw");
        QTest::addColumn<int>("dh");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QRect>("rect"); // in window coordinates
        struct Row { const char *name; QRect at; QRect wider; QRect taller; };
        // Inner positions are relative to their container; these are the window coordinates.
        const Row rows[] = {
            {"RzPanel1", {0, 0, 689, 31}, {0, 0, 789, 31}, {0, 0, 689, 31}},
            {"RzPanel2", {0, 31, 689, 34}, {0, 31, 789, 34}, {0, 31, 689, 34}},
            {"RzGroupBox1", {0, 65, 689, 40}, {0, 65, 789, 40}, {0, 65, 689, 40}},
            {"RzGroupBox2", {0, 105, 689, 168}, {0, 105, 789, 168}, {0, 105, 689, 168}},
            {"RzGroupBox3", {0, 273, 689, 280}, {0, 273, 789, 280}, {0, 273, 689, 380}},
            {"RzStatusBar1", {0, 553, 689, 19}, {0, 553, 789, 19}, {0, 653, 689, 19}},
            {"stt1", {0, 553, 689, 19}, {0, 553, 789, 19}, {0, 653, 689, 19}},
            {"btnbaglan", {290, 2, 78, 27}, {290, 2, 78, 27}, {290, 2, 78, 27}},
            {"btnkes", {375, 2, 96, 27}, {375, 2, 96, 27}, {375, 2, 96, 27}},
            {"RzBitBtn2", {507, 1, 78, 30}, {507, 1, 78, 30}, {507, 1, 78, 30}},
            {"cmb1", {32, 4, 113, 21}, {32, 4, 113, 21}, {32, 4, 113, 21}},
            {"cmb2", {198, 4, 74, 21}, {198, 4, 74, 21}, {198, 4, 74, 21}},
            {"Label1", {4, 7, 14, 13}, {4, 7, 14, 13}, {4, 7, 14, 13}},
            {"Label2", {163, 7, 24, 13}, {163, 7, 24, 13}, {163, 7, 24, 13}},
            {"Edit1", {4, 37, 357, 21}, {4, 37, 357, 21}, {4, 37, 357, 21}},
            {"ch1", {367, 37, 82, 17}, {367, 37, 82, 17}, {367, 37, 82, 17}},
            {"btngonder", {443, 33, 78, 30}, {443, 33, 78, 30}, {443, 33, 78, 30}},
            {"M1", {1, 79, 48, 25}, {1, 79, 48, 25}, {1, 79, 48, 25}},
            {"M2", {49, 79, 48, 25}, {49, 79, 48, 25}, {49, 79, 48, 25}},
            {"M9", {385, 79, 48, 25}, {385, 79, 48, 25}, {385, 79, 48, 25}},
            {"M10", {433, 79, 56, 25}, {433, 79, 56, 25}, {433, 79, 56, 25}},
            {"RzBitBtn1", {614, 79, 74, 25}, {714, 79, 74, 25}, {614, 79, 74, 25}},
            {"Memo1", {1, 119, 687, 153}, {1, 119, 787, 153}, {1, 119, 687, 153}},
            {"Memo2", {1, 287, 399, 265}, {1, 287, 499, 265}, {1, 287, 399, 365}},
            {"Memo3", {400, 287, 288, 265}, {500, 287, 288, 265}, {400, 287, 288, 365}},
        };
        for (const Row &r : rows) {
            QTest::addRow("%s initial", r.name) << 0 << 0 << QByteArray(r.name) << r.at;
            QTest::addRow("%s wider", r.name) << 100 << 0 << QByteArray(r.name) << r.wider;
            QTest::addRow("%s taller", r.name) << 0 << 100 << QByteArray(r.name) << r.taller;
        }
    }
    void geometry()
    {
        QFETCH(int, dw);
        QFETCH(int, dh);
        QFETCH(QByteArray, name);
        QFETCH(QRect, rect);
        m_window->resize(kMainClientWidth + dw, kMainClientHeight + dh);
        QCOMPARE(m_window->size(), QSize(kMainClientWidth + dw, kMainClientHeight + dh));
        QCOMPARE(inWindow(m_window, name.constData()), rect);
    }

    void initialState()
    {
        m_window->resize(kMainClientWidth, kMainClientHeight);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("MIRAVEN  -  V2.0     www.miraven.example"));
        QVERIFY(c.btnbaglan->isEnabled());
        QVERIFY(!c.btnkes->isEnabled());
        QVERIFY(c.ch1->isChecked());
        QCOMPARE(c.cmb1->Text(), QByteArray("127.0.0.1"));
        QCOMPARE(c.cmb2->Text(), QByteArray("9988"));
        QVERIFY(c.Edit1->Text().isEmpty());
        QVERIFY(c.Memo1->Text().isEmpty() && c.Memo2->Text().isEmpty() && c.Memo3->Text().isEmpty());
        QVERIFY(c.stt1->text().isEmpty());
        for (int n = 1; n <= 10; ++n) {
            TGlyphButton *m = c.M[size_t(n - 1)];
            QCOMPARE(m->text(), QStringLiteral("M%1").arg(n));
            QCOMPARE(m->Tag, n);
            QCOMPARE(m->ImageIndex(), 5);
            QVERIFY(m->Hint.isEmpty());
            QVERIFY(m->ShowHint);
        }
        QCOMPARE(c.btnbaglan->ImageIndex(), 6);
        QCOMPARE(c.btnkes->ImageIndex(), 7);
        QCOMPARE(c.RzBitBtn1->ImageIndex(), 13);
        QCOMPARE(c.btngonder->ImageIndex(), 15);
        QCOMPARE(c.RzBitBtn2->ImageIndex(), 15);
        QCOMPARE(c.PM1->actions().size(), 2);
        QCOMPARE(c.PM1->actions().at(0)->text(), QStringLiteral("Temizle"));
        QCOMPARE(c.PM2->actions().at(1)->text(), QStringLiteral("Kaydet"));
        QCOMPARE(c.Memo1->PopupMenu(), c.PM1);
        QCOMPARE(c.Memo2->PopupMenu(), c.PM2);
        QCOMPARE(c.Memo3->PopupMenu(), nullptr);
        // Only the send box and the macro buttons show tooltips.
        QVERIFY(c.Edit1->ShowHint && !c.Edit1->Hint.isEmpty());
        QVERIFY(!c.btnbaglan->ShowHint && !c.RzBitBtn1->ShowHint);
    }

    void tabOrder()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QCOMPARE(QApplication::focusWidget(), c.btnbaglan); // where the focus is at start
        QCOMPARE(QApplication::focusWidget(), c.btnbaglan);
        const QStringList expected{"cmb1", "cmb2", "RzBitBtn2", "Edit1", "ch1", "btngonder", "M10", "M9", "M8",
                                   "M7", "M6", "M5", "M4", "M3", "M2", "M1", "RzBitBtn1", "Memo1", "Memo2",
                                   "Memo3", "btnbaglan"};
        QStringList got;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            got << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(got, expected); // btnkes disabled: skipped
        // Connected: the connect button is the one skipped.
        c.btnbaglan->setEnabled(false);
        c.btnkes->setEnabled(true);
        c.Memo3->setFocus();
        QTest::keyClick(c.Memo3, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), c.btnkes);
        QTest::keyClick(c.btnkes, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), c.cmb1);
        QTest::keyClick(c.cmb1, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), c.btnkes);
        c.btnbaglan->setEnabled(true);
        c.btnkes->setEnabled(false);
    }

    void glyphButtonKeys()
    {
        int clicks = 0;
        QObject::connect(c.btngonder, &QAbstractButton::clicked, [&] { ++clicks; });
        c.btngonder->setFocus();
        QTest::keyClick(c.btngonder, Qt::Key_Return);
        QCOMPARE(clicks, 1);
        QTest::keyClick(c.btngonder, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(c.btngonder, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 1);
        QTest::keyPress(c.btngonder, Qt::Key_Space);
        QCOMPARE(clicks, 1); // Space presses on release
        QTest::keyRelease(c.btngonder, Qt::Key_Space);
        QCOMPARE(clicks, 2);
        QStringList ups;
        c.M[2]->OnMouseUp = [&](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
            ups << QStringLiteral("up %1 clicks %2").arg(int(b)).arg(clicks);
        };
        QObject::connect(c.M[2], &QAbstractButton::clicked, [&] { ++clicks; });
        QTest::mouseClick(c.M[2], Qt::RightButton);
        QTest::mouseClick(c.M[2], Qt::LeftButton);
        // The mouse-up comes before the click of the same release; a right click makes no click.
        QCOMPARE(ups, (QStringList{"up 2 clicks 2", "up 1 clicks 2"}));
        QCOMPARE(clicks, 3);
        c.M[2]->OnMouseUp = nullptr;
    }
};

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindowlayout.moc"

#include "ui/mainwindowlayout.h"

#include "core/codepage.h"
#include "ui/containers.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/glyphbutton.h"
#include "ui/glyphs.h"
#include "ui/pane.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

const char *const kMakerWebAddress = "www.miraven.example";

QString mainWindowCaption()
{
    return QStringLiteral("MIRAVEN  -  V2.0     ") + QString::fromLatin1(kMakerWebAddress);
}

namespace {

template <typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

TGlyphButton *button(QWidget *parent, const char *name, const QString &caption, int glyph, int margin, QRect r)
{
    auto *b = named(new TGlyphButton(caption, glyph, margin, parent), name);
    b->setGeometry(r);
    return b;
}

TEdit *edit(QWidget *parent, const char *name, QRect r)
{
    auto *e = named(new TEdit(parent), name);
    e->setGeometry(r);
    return e;
}

// Labels are sized to their text as the window was drawn with Tahoma; the design sizes are kept
// so that nothing shifts with a substitute font's metrics.
QLabel *label(QWidget *parent, const char *name, const QString &text, QRect r)
{
    auto *l = named(new QLabel(text, parent), name);
    l->setGeometry(r);
    return l;
}

} // namespace

MainControls buildMainWindow(QWidget *w)
{
    MainControls c{};
    w->setObjectName(QStringLiteral("fMain"));
    w->setWindowTitle(mainWindowCaption());
    w->setWindowIcon(glyphs::windowIcon());
    w->setFont(fonts::windowFont());
    w->setAttribute(Qt::WA_AlwaysShowToolTips, false);
    auto *windowLayout = new TAlignLayout(w);
    const int editHeight = 21; // one line of the window font

    // 1. Connection bar.
    c.RzPanel1 = named(new TPanel(w), "RzPanel1");
    windowLayout->addAligned(c.RzPanel1, TAlign::Top, QRect(0, 0, 689, 31));
    c.Label1 = label(c.RzPanel1, "Label1", QStringLiteral("IP:"), QRect(4, 7, 14, 13));
    c.Label2 = label(c.RzPanel1, "Label2", QStringLiteral("Port:"), QRect(163, 7, 24, 13));
    c.btnbaglan = button(c.RzPanel1, "btnbaglan", QStringLiteral("Bağlan"), 6, 1, QRect(290, 2, 78, 27));
    c.btnkes = button(c.RzPanel1, "btnkes", QStringLiteral("Bağlantı Kes"), 7, 1, QRect(375, 2, 96, 27));
    c.btnkes->setEnabled(false);
    c.cmb1 = edit(c.RzPanel1, "cmb1", QRect(32, 4, 113, editHeight));
    c.cmb1->SetText("127.0.0.1");
    c.cmb2 = edit(c.RzPanel1, "cmb2", QRect(198, 4, 74, editHeight));
    c.cmb2->SetText("9988");
    c.RzBitBtn2 = button(c.RzPanel1, "RzBitBtn2", QStringLiteral("Temizle"), 15, 1, QRect(507, 1, 78, 30));

    // 2. Send bar.
    c.RzPanel2 = named(new TPanel(w), "RzPanel2");
    windowLayout->addAligned(c.RzPanel2, TAlign::Top, QRect(0, 31, 689, 34));
    c.Edit1 = edit(c.RzPanel2, "Edit1", QRect(4, 6, 357, editHeight));
    c.Edit1->ShowHint = true;
    c.Edit1->Hint = cp1254::fromUnicode(
        QStringLiteral("Gönderilecek veri. Eğer ASCII değer göndermek isterseni #000 şeklinde giriniz."));
    c.ch1 = named(new QCheckBox(QStringLiteral("#13+#10"), c.RzPanel2), "ch1");
    c.ch1->setGeometry(367, 6, 82, 17);
    c.ch1->setChecked(true);
    c.btngonder = button(c.RzPanel2, "btngonder", QStringLiteral("Gönder"), 15, 1, QRect(443, 2, 78, 30));

    // 3. Macro bar: M10 is created first, M1 stands leftmost.
    c.RzGroupBox1 = named(new TGroupBox(QStringLiteral("Makro"), w), "RzGroupBox1");
    windowLayout->addAligned(c.RzGroupBox1, TAlign::Top, QRect(0, 65, 689, 40));
    for (int n = 10; n >= 1; --n) {
        const int left = 1 + (n - 1) * 48;
        const int width = n == 10 ? 56 : 48;
        const QByteArray name = "M" + QByteArray::number(n);
        auto *m = button(c.RzGroupBox1, name.constData(), QString::fromLatin1(name), 5, 0, QRect(left, 14, width, 25));
        m->Tag = n;
        m->ShowHint = true;
        c.RzGroupBox1->Layout()->addAligned(m, TAlign::Left, QRect(left, 14, width, 25));
        c.M[size_t(n - 1)] = m;
    }
    c.RzBitBtn1 = button(c.RzGroupBox1, "RzBitBtn1", QStringLiteral("Yardım"), 13, 0, QRect(614, 14, 74, 25));
    c.RzGroupBox1->Layout()->addAligned(c.RzBitBtn1, TAlign::Right, QRect(614, 14, 74, 25));

    // 4. Sent pane.
    c.RzGroupBox2 = named(new TGroupBox(QStringLiteral("Gönderilen"), w), "RzGroupBox2");
    windowLayout->addAligned(c.RzGroupBox2, TAlign::Top, QRect(0, 105, 689, 168));
    c.Memo1 = named(new TTextPane(c.RzGroupBox2), "Memo1");
    c.RzGroupBox2->Layout()->addAligned(c.Memo1, TAlign::Client, QRect(1, 14, 687, 153));

    // 5. Received panes.
    c.RzGroupBox3 = named(new TGroupBox(QStringLiteral("Gelen"), w), "RzGroupBox3");
    windowLayout->addAligned(c.RzGroupBox3, TAlign::Client, QRect(0, 273, 689, 280));
    c.Memo2 = named(new TTextPane(c.RzGroupBox3), "Memo2");
    c.RzGroupBox3->Layout()->addAligned(c.Memo2, TAlign::Client, QRect(1, 14, 399, 265));
    c.Memo3 = named(new TDecimalPane(c.RzGroupBox3), "Memo3");
    c.RzGroupBox3->Layout()->addAligned(c.Memo3, TAlign::Right, QRect(400, 14, 288, 265));

    // 6. Status bar with its one empty pane.
    c.RzStatusBar1 = named(new TStatusBar(w), "RzStatusBar1");
    windowLayout->addAligned(c.RzStatusBar1, TAlign::Bottom, QRect(0, 553, 689, 19));
    c.stt1 = named(new QLabel(c.RzStatusBar1), "stt1");
    c.RzStatusBar1->Layout()->addAligned(c.stt1, TAlign::Client, QRect(0, 0, 689, 19));

    // Popup menus of the two panes that can be saved.
    c.PM1 = named(new QMenu(w), "PM1");
    c.btntemizle = named(c.PM1->addAction(QStringLiteral("Temizle")), "btntemizle");
    c.Kaydet1 = named(c.PM1->addAction(QStringLiteral("Kaydet")), "Kaydet1");
    c.Memo1->SetPopupMenu(c.PM1);
    c.PM2 = named(new QMenu(w), "PM2");
    c.MenuItem1 = named(c.PM2->addAction(QStringLiteral("Temizle")), "MenuItem1");
    c.MenuItem2 = named(c.PM2->addAction(QStringLiteral("Kaydet")), "MenuItem2");
    c.Memo2->SetPopupMenu(c.PM2);

    // Keyboard order across the window; disabled controls are skipped.
    QList<QWidget *> order{c.btnbaglan, c.btnkes, c.cmb1, c.cmb2, c.RzBitBtn2, c.Edit1, c.ch1, c.btngonder};
    for (int n = 10; n >= 1; --n)
        order << c.M[size_t(n - 1)];
    order << c.RzBitBtn1 << c.Memo1 << c.Memo2 << c.Memo3;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    for (QWidget *child : w->findChildren<QWidget *>()) {
        if (!order.contains(child) && child->focusPolicy() != Qt::NoFocus && !child->inherits("QScrollBar"))
            child->setFocusPolicy(Qt::NoFocus);
    }
    c.btnbaglan->setFocus();

    w->resize(kMainClientWidth, kMainClientHeight);
    return c;
}

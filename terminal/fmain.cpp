#include "terminal/fmain.h"

#include "core/guard.h"
#include "ui/edit.h"
#include "ui/glyphbutton.h"
#include "ui/pane.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>

TfMain::TfMain(QWidget *parent) : QWidget(parent)
{
    static_cast<MainControls &>(*this) = buildMainWindow(this);

    SD1 = new QFileDialog(this);
    SD1->setObjectName(QStringLiteral("SD1"));

    wireEvents();
    guard::run([this] { FormCreate(); });
}

TfMain::~TfMain()
{
    guard::run([this] { FormDestroy(); });
    // CS1 goes next; its connection object delivers no event while it is destroyed.
}

void TfMain::wireEvents()
{
    // A control event enters our code through the guard.
    const auto on = [this](QObject *sender, auto handler) {
        return [this, sender, handler] { guard::run([&] { (this->*handler)(sender); }); };
    };
    connect(btnbaglan, &QAbstractButton::clicked, this, on(btnbaglan, &TfMain::btnbaglanClick));
    connect(btnkes, &QAbstractButton::clicked, this, on(btnkes, &TfMain::btnkesClick));
    connect(btngonder, &QAbstractButton::clicked, this, on(btngonder, &TfMain::btngonderClick));
    connect(RzBitBtn1, &QAbstractButton::clicked, this, on(RzBitBtn1, &TfMain::RzBitBtn1Click));
    connect(RzBitBtn2, &QAbstractButton::clicked, this, on(RzBitBtn2, &TfMain::RzBitBtn2Click));
    connect(btntemizle, &QAction::triggered, this, on(btntemizle, &TfMain::btntemizleClick));
    connect(Kaydet1, &QAction::triggered, this, on(Kaydet1, &TfMain::Kaydet1Click));
    connect(MenuItem1, &QAction::triggered, this, on(MenuItem1, &TfMain::MenuItem1Click));
    connect(MenuItem2, &QAction::triggered, this, on(MenuItem2, &TfMain::MenuItem2Click));
    for (TGlyphButton *m : M) {
        connect(m, &QAbstractButton::clicked, this, on(m, &TfMain::M1Click));
        m->OnMouseUp = [this, m](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
            guard::run([&] { M1MouseUp(m, b, s, x, y); });
        };
    }
    Edit1->OnKeyPress = [this](char &key) { guard::run([&] { Edit1KeyPress(Edit1, key); }); };
    Edit1->OnKeyUp = [this](int &key, Qt::KeyboardModifiers s) { guard::run([&] { Edit1KeyUp(Edit1, key, s); }); };

    // Socket events already arrive through the guard of the socket's notifications, or inside a
    // handler that was entered through it.
    CS1.OnConnecting = [this](TCustomSocket *s, TCustomWinSocket *w) { CS1Connecting(s, w); };
    CS1.OnConnect = [this](TCustomSocket *s, TCustomWinSocket *w) { CS1Connect(s, w); };
    CS1.OnDisconnect = [this](TCustomSocket *s, TCustomWinSocket *w) { CS1Disconnect(s, w); };
    CS1.OnRead = [this](TCustomSocket *s, TCustomWinSocket *w) { CS1Read(s, w); };
    CS1.OnError = [this](TCustomSocket *s, TCustomWinSocket *w, TErrorEvent e, int &code) { CS1Error(s, w, e, code); };
}

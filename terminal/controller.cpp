// Start-up, shutdown, connection control and the status lines of the main window.

#include "terminal/fmain.h"

#include "core/codepage.h"
#include "net/wsaerrors.h"
#include "terminal/settings.h"
#include "terminal/strtoint.h"
#include "ui/edit.h"
#include "ui/glyphbutton.h"
#include "ui/messagebox.h"
#include "ui/pane.h"

#include <QCoreApplication>

namespace {
QByteArray cp(const char16_t *text)
{
    return cp1254::fromUnicode(QString::fromUtf16(text));
}
} // namespace

void TfMain::FormCreate()
{
    cmb1->SetText(ayarOku("PORT", "cmb1", "127.0.0.1"));
    cmb2->SetText(ayarOku("PORT", "cmb2", "9988"));
    LoadMacros();
}

void TfMain::FormDestroy()
{
    CS1.SetActive(false);
    QCoreApplication::quit();
}

void TfMain::btnbaglanClick(QObject *)
{
    CS1.SetHost(cmb1->Text());
    CS1.SetPort(StrToInt(cmb2->Text()));
    CS1.SetActive(true);
    // Read from the boxes again and stored as typed.
    ayarYaz("PORT", "cmb1", cmb1->Text());
    ayarYaz("PORT", "cmb2", cmb2->Text());
}

void TfMain::btnkesClick(QObject *)
{
    CS1.SetActive(false);
}

void TfMain::CS1Connecting(TCustomSocket *, TCustomWinSocket *)
{
    statusLine(CS1.Host() + cp(u" Bağlanıyor..."));
}

void TfMain::CS1Connect(TCustomSocket *, TCustomWinSocket *)
{
    statusLine(CS1.Host() + cp(u" Bağlanıldı."));
    btnbaglan->setEnabled(false);
    btnkes->setEnabled(true);
}

void TfMain::CS1Disconnect(TCustomSocket *, TCustomWinSocket *)
{
    statusLine(CS1.Host() + cp(u" Bağlantı Kesildi."));
    btnbaglan->setEnabled(true);
    btnkes->setEnabled(false);
}

void TfMain::CS1Error(TCustomSocket *, TCustomWinSocket *, TErrorEvent, int &ErrorCode)
{
    if (ErrorCode == wsa::ECONNABORTED_)
        CS1.SetActive(false);
    statusLine(cp(u"Hata Oluştu. Hata Kodu:") + QByteArray::number(ErrorCode));
    ErrorCode = 0;
}

void TfMain::statusLine(const QByteArray &line)
{
    Memo1->AddLine(line);
    if (OnStatusLine)
        OnStatusLine(line);
}

bool TfMain::kontrol()
{
    if (!btnbaglan->isEnabled())
        return true;
    ShowMessage(cp(u"Öncelikle Port Bağlantısını Yapmalısınız."));
    return false;
}

// The send box, the send button and the encoder that sends and echoes text.

#include "terminal/fmain.h"

#include "terminal/escapes.h"
#include "ui/edit.h"
#include "ui/pane.h"

#include <QCheckBox>

namespace {
constexpr qsizetype kLineCap = 10000;
}

void TfMain::btngonderClick(QObject *)
{
    if (!kontrol())
        return;
    QByteArray t = Edit1->Text();
    if (ch1->isChecked())
        t += "\r\n";
    gonder(t);
}

void TfMain::Edit1KeyPress(QObject *, char &Key)
{
    if (Key == 13)
        Key = 0; // Enter never enters the box
}

void TfMain::Edit1KeyUp(QObject *, int &Key, Qt::KeyboardModifiers)
{
    if (!kontrol())
        return;
    if (Key == 13)
        btngonderClick(Edit1);
}

void TfMain::gonder(const QByteArray &s)
{
    const QByteArray out = decodeEscapes(s);
    CS1.Socket()->SendString(out); // the whole text is echoed whatever the platform took
    Memo1->AppendText(out);
    if (Memo1->LineCount() > kLineCap)
        Memo1->Clear();
    Memo1->CaretToEnd();
}

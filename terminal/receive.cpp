// Received data: the text pane first, then one decimal line per arrival.

#include "terminal/fmain.h"

#include "ui/pane.h"

namespace {
constexpr qsizetype kLineCap = 10000;
}

void TfMain::CS1Read(TCustomSocket *, TCustomWinSocket *Socket)
{
    const QByteArray d = Socket->ReceiveString();

    Memo2->AppendText(d);
    if (Memo2->LineCount() > kLineCap)
        Memo2->Clear();
    Memo2->CaretToEnd();

    Memo3->AddDecimalLine(d);
    if (Memo3->LineCount() > kLineCap)
        Memo3->Clear();
    Memo3->CaretToEnd();
}

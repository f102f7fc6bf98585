// The ten macro buttons: loaded at start-up, sent with a left click, edited with a right click.
// A macro's text lives only in its button's hint.

#include "terminal/fmain.h"

#include "terminal/settings.h"
#include "ui/glyphbutton.h"
#include "ui/inputbox.h"

void TfMain::LoadMacros()
{
    for (int n = 1; n <= 10; ++n) {
        const QByteArray name = "M" + QByteArray::number(n);
        auto *button = findChild<TGlyphButton *>(QString::fromLatin1(name));
        const QByteArray text = ayarOku("MAKRO", "MAKRO" + QByteArray::number(n), QByteArray(""));
        if (button)
            button->Hint = text;
    }
}

void TfMain::M1Click(QObject *Sender)
{
    if (!kontrol())
        return;
    gonder(static_cast<TGlyphButton *>(Sender)->Hint);
}

void TfMain::M1MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers, int, int)
{
    if (Button != Qt::RightButton)
        return;
    auto *button = static_cast<TGlyphButton *>(Sender);
    const QByteArray result = InputBox(QStringLiteral("Makro"), QStringLiteral("Makro"), button->Hint);
    button->Hint = result;
    ayarYaz("MAKRO", "MAKRO" + QByteArray::number(button->Tag), result);
}

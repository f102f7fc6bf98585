// Clearing and saving the panes, and the help button.

#include "terminal/fmain.h"

#include "terminal/panefile.h"
#include "ui/helpwindow.h"
#include "ui/pane.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QApplication>
#include <QScreen>

namespace {

// Centred horizontally on the active window's screen, its top a third of the way down the
// height the dialog leaves free.
void place(QWidget *dialog, QWidget *owner)
{
    QWidget *active = QApplication::activeWindow();
    const QScreen *screen = (active ? active : owner)->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = dialog->size();
    dialog->move(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 3);
}

} // namespace

void TfMain::btntemizleClick(QObject *)
{
    Memo1->Clear();
}

void TfMain::MenuItem1Click(QObject *)
{
    Memo2->Clear();
}

void TfMain::RzBitBtn2Click(QObject *)
{
    Memo2->Clear();
    Memo3->Clear();
}

void TfMain::Kaydet1Click(QObject *)
{
    savePane(Memo1);
}

void TfMain::MenuItem2Click(QObject *)
{
    savePane(Memo2);
}

void TfMain::RzBitBtn1Click(QObject *)
{
    if (fHelp)
        fHelp->exec();
}

void TfMain::savePane(TPane *pane)
{
    SD1->setWindowTitle(QStringLiteral("Kaydetmek istediğiniz dosya ismi"));
    SD1->setNameFilters({QStringLiteral("Text file (*.txt)")});
    SD1->selectNameFilter(QStringLiteral("Text file (*.txt)"));
    SD1->setDefaultSuffix(QStringLiteral("txt"));
    SD1->setAcceptMode(QFileDialog::AcceptSave);
    SD1->setFileMode(QFileDialog::AnyFile);
    SD1->setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog |
                    QFileDialog::HideNameFilterDetails); // the one filter reads "Text file"
    SD1->setSizeGripEnabled(true);
    if (!m_saveFileName.isEmpty())
        SD1->selectFile(m_saveFileName);
    else
        SD1->selectFile(QString());
    place(SD1, this);
    const int answer = SD1->exec();
    // The name field's completion list is a window of its own: a dialog confirmed with Enter
    // while it was open would leave it standing over the main window, taking the next click.
    for (QCompleter *completer : SD1->findChildren<QCompleter *>())
        if (completer->popup())
            completer->popup()->hide();
    if (answer != QDialog::Accepted || SD1->selectedFiles().isEmpty())
        return;
    m_saveFileName = SD1->selectedFiles().first();

    // The text after the dialog has closed, including what arrived while it was open.
    writePaneFile(m_saveFileName, pane->Text());
}

#pragma once
// The main window and its logic: connection control and status lines, the send path, the
// received-data display, the macro buttons and the pane commands. Every control event and
// every socket event arrives here through the application's guard, so an exception that
// escapes a handler ends that handler and is shown in the exception box.

#include "net/clientsocket.h"
#include "ui/mainwindowlayout.h"

#include <QByteArray>
#include <QWidget>

#include <functional>

class QFileDialog;
class TPane;
class TfHelp;

class TfMain : public QWidget, public MainControls {
public:
    explicit TfMain(QWidget *parent = nullptr);
    ~TfMain() override;

    // The help window the help button shows; created by the program entry.
    void SetHelpWindow(TfHelp *help) { fHelp = help; }

    // The controls (MainControls) are reached under the names the handlers use.
    QFileDialog *SD1;
    TClientSocket CS1;
    TfHelp *fHelp = nullptr;

    // Controller.
    void FormCreate();
    void FormDestroy();
    void btnbaglanClick(QObject *Sender);
    void btnkesClick(QObject *Sender);
    void CS1Connecting(TCustomSocket *Sender, TCustomWinSocket *Socket);
    void CS1Connect(TCustomSocket *Sender, TCustomWinSocket *Socket);
    void CS1Disconnect(TCustomSocket *Sender, TCustomWinSocket *Socket);
    void CS1Error(TCustomSocket *Sender, TCustomWinSocket *Socket, TErrorEvent ErrorEvent, int &ErrorCode);
    bool kontrol();

    // Send path.
    void btngonderClick(QObject *Sender);
    void Edit1KeyPress(QObject *Sender, char &Key);
    void Edit1KeyUp(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift);
    void gonder(const QByteArray &s);

    // Received data.
    void CS1Read(TCustomSocket *Sender, TCustomWinSocket *Socket);

    // Macros.
    void LoadMacros();
    void M1Click(QObject *Sender);
    void M1MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // Pane commands and the help button.
    void btntemizleClick(QObject *Sender);
    void Kaydet1Click(QObject *Sender);
    void MenuItem1Click(QObject *Sender);
    void MenuItem2Click(QObject *Sender);
    void RzBitBtn2Click(QObject *Sender);
    void RzBitBtn1Click(QObject *Sender);

    // Told each status line the sent pane is given (connecting, connected, disconnected,
    // errors), after the pane has it; for a record kept beside the window.
    std::function<void(const QByteArray &line)> OnStatusLine;

    // The path chosen at the last confirmed save.
    QString SaveFileName() const { return m_saveFileName; }

private:
    void wireEvents();
    void savePane(TPane *pane);
    void statusLine(const QByteArray &line);
    QString m_saveFileName;
};

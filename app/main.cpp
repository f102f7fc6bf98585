// Program entry: the application object, the main window, the hidden help window, the message
// loop.

#include "app/application.h"
#include "app/commandline.h"
#include "app/exceptionbox.h"
#include "app/records.h"
#include "terminal/fmain.h"
#include "ui/edit.h"
#include "ui/glyphbutton.h"
#include "ui/helpwindow.h"

#include <QScreen>
#include <QTimer>

int main(int argc, char **argv)
{
    // Before the application object: --help and --version need no display.
    QCoreApplication::setApplicationName(QStringLiteral("miraven"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRAVEN_VERSION));
    CommandLine start;
    if (const int code = answerCommandLine(argc, argv, &start); code >= 0)
        return code;

    TApplication app(argc, argv);
    installExceptionBox();

    TfMain fMain;
    TfHelp fHelp(&fMain);
    fMain.SetHelpWindow(&fHelp);

    // A host and a port given on the command line are in the boxes as if typed (not stored).
    if (start.host)
        fMain.cmb1->SetText(*start.host);
    if (start.port)
        fMain.cmb2->SetText(*start.port);
    // The traffic records; a file that cannot be made is said once the loop runs.
    const Records records(fMain, start.capture, start.log);
    fMain.show();
    if (const QScreen *screen = fMain.screen())
        fMain.move(screen->availableGeometry().center() - fMain.rect().center());
    if (start.connect) // pressed once the window is shown
        QTimer::singleShot(0, fMain.btnbaglan, [&fMain] { fMain.btnbaglan->click(); });
    return app.exec();
}

// Program entry: the application object, the main window, the hidden help window, the message
// loop.

#include "app/application.h"
#include "app/commandline.h"
#include "app/exceptionbox.h"
#include "terminal/fmain.h"
#include "ui/helpwindow.h"

#include <QScreen>

int main(int argc, char **argv)
{
    // Before the application object: --help and --version need no display.
    QCoreApplication::setApplicationName(QStringLiteral("miraven"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRAVEN_VERSION));
    if (const int code = answerCommandLine(argc, argv); code >= 0)
        return code;

    TApplication app(argc, argv);
    installExceptionBox();

    TfMain fMain;
    TfHelp fHelp(&fMain);
    fMain.SetHelpWindow(&fHelp);

    fMain.show();
    if (const QScreen *screen = fMain.screen())
        fMain.move(screen->availableGeometry().center() - fMain.rect().center());
    return app.exec();
}

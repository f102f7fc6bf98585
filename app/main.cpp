// Program entry: the application object, the main window, the hidden help window, the message
// loop.

#include "app/application.h"
#include "app/exceptionbox.h"
#include <QScreen>
#include "terminal/fmain.h"
#include "ui/helpwindow.h"

int main(int argc, char **argv)
{
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

#pragma once
// The application object. Its notify() is the last line of defence: an exception that escapes
// an event handler anywhere goes to the exception box instead of ending the program.

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

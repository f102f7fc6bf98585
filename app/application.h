#pragma once
// The application object. Its notify() is the last line of defence: an exception that escapes
// an event handler anywhere goes to the exception box instead of ending the program.

#include <QApplication>
#include <QLocale>

class QTranslator;

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Qt's own texts (the save dialog, the edits' menus, the standard buttons) in the language of
// locale, from Qt's translations; the program's own captions are Turkish whatever the language.
// Replaces what an earlier call installed. False when there is no translation for it (English
// is then shown, as for the C locale).
bool installQtTranslations(const QLocale &locale);

#pragma once
// The exception box: the message of an exception that escaped a handler, with '.' appended when
// it does not end in a character at or below '.', under the application title, with the error
// icon and one OK button, modal over the active window.

#include <QString>

#include <exception>

QString exceptionBoxText(const QString &message);
void ShowException(const std::exception &e);
// Makes ShowException the application's exception handler and installs the last line of
// defence in the application object.
void installExceptionBox();

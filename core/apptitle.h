#pragma once
// The application title: the program file's name without its folder and without everything
// from its first '.', every character after the first in lower case (SAMPLE.EXE gives Sample).
// It is the caption of the exception box and of the message box.

#include <QString>

QString applicationTitle();
QString titleFromProgramFile(const QString &path);

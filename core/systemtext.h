#pragma once
// A platform's error text as the messages quote it: without trailing blanks, control
// characters and full stops.

#include <QString>

QString trimmedSystemText(QString text);

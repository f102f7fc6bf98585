#pragma once
// The settings file beside the program file: the host and port of the last connection attempt
// and the ten macro texts. Nothing is held in memory; every call opens the file anew.

#include <QByteArray>
#include <QString>

namespace settings {

// The program file's full path, as the platform reports it. Tests point it elsewhere.
QString programFilePath();
void setProgramFilePath(const QString &path); // an empty path restores the real one

// The program file's path with the extension of its file name replaced by ".Ini".
QString settingsFilePath();
QString settingsFilePathFor(const QString &programFile);

} // namespace settings

// Reads section/key; when it reads as empty, stores def under the key (flushed) and returns def.
QByteArray ayarOku(const QByteArray &section, const QByteArray &key, const QByteArray &def);

// Stores value under section/key and flushes. Throws EIniFileException when it cannot.
void ayarYaz(const QByteArray &section, const QByteArray &key, const QByteArray &value);

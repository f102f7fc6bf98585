#pragma once
// The settings file: the host and port of the last connection attempt and the ten macro texts.
// Nothing is held in memory; every call opens the file anew.
//
// Where it lives: beside the program file, named after it with ".Ini", for a program run from
// its own folder (a build, a copied program). A packaged program, which is installed where its
// users may not write, keeps it per user: $XDG_CONFIG_HOME/miraven/miraven.Ini, or
// ~/.config/miraven/miraven.Ini when that variable is unset or not an absolute path; the folder
// is made (mode 0700) at the first write. Until the per-user file exists, a settings file
// beside the packaged program (an administrator's defaults) is read in its place, and the first
// write starts the per-user file as a copy of it. On Windows the per-user file is
// %APPDATA%\Miraven\miraven.Ini, and a program is taken as installed when the installer left a
// "<program>.installed" file beside it.

#include <QByteArray>
#include <QString>

namespace settings {

// The program file's full path, as the platform reports it. Tests point it elsewhere.
QString programFilePath();
void setProgramFilePath(const QString &path); // an empty path restores the real one

// The settings file in use: per user for a packaged program, otherwise beside the program.
QString settingsFilePath();
// The program file's path with the extension of its file name replaced by ".Ini".
QString settingsFilePathFor(const QString &programFile);
// Where a packaged program keeps its settings, from the environment as it is now.
QString perUserSettingsFilePath();

// The file whose presence beside an installed program file keeps its settings per user.
QString installedMarkerFor(const QString &programFile);

// Whether settings are kept per user: on in a packaged build. Tests switch it.
bool perUser();
void setPerUser(bool on);

} // namespace settings

// Reads section/key; when it reads as empty, stores def under the key (flushed) and returns def.
QByteArray ayarOku(const QByteArray &section, const QByteArray &key, const QByteArray &def);

// Stores value under section/key and flushes. Throws EIniFileException when it cannot.
void ayarYaz(const QByteArray &section, const QByteArray &key, const QByteArray &value);

#include "terminal/settings.h"

#include "terminal/inifile.h"

#include <QCoreApplication>

namespace settings {
namespace {
QString &overridePath()
{
    static QString path;
    return path;
}
} // namespace

QString programFilePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QCoreApplication::applicationFilePath();
}

void setProgramFilePath(const QString &path)
{
    overridePath() = path;
}

QString settingsFilePathFor(const QString &programFile)
{
    // Only the last path component can hold the extension. Qt reports paths with '/' on every
    // platform.
    const qsizetype slash = programFile.lastIndexOf(u'/');
    const qsizetype dot = programFile.lastIndexOf(u'.');
    const QString stem = dot > slash ? programFile.left(dot) : programFile;
    return stem + QStringLiteral(".Ini");
}

QString settingsFilePath()
{
    return settingsFilePathFor(programFilePath());
}

} // namespace settings

QByteArray ayarOku(const QByteArray &section, const QByteArray &key, const QByteArray &def)
{
    const QString path = settings::settingsFilePath();
    const QByteArray value = ini::readString(path, section, key);
    if (!value.isEmpty())
        return value;
    ini::writeString(path, section, key, def);
    return def;
}

void ayarYaz(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    ini::writeString(settings::settingsFilePath(), section, key, value);
}

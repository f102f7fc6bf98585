#include "terminal/settings.h"

#include "terminal/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

namespace {
bool &perUserFlag()
{
    // A build for installing keeps settings per user; so does a program file that an installer
    // put in place with a "<program>.installed" file beside it (the Windows installer does).
#ifdef MIRAVEN_PER_USER_SETTINGS
    static bool on = true;
#else
    static bool on = QFileInfo::exists(installedMarkerFor(programFilePath()));
#endif
    return on;
}
} // namespace

QString installedMarkerFor(const QString &programFile)
{
    const QFileInfo program(programFile);
    return program.absolutePath() + u'/' + program.completeBaseName() + QStringLiteral(".installed");
}

bool perUser()
{
    return perUserFlag();
}

void setPerUser(bool on)
{
    perUserFlag() = on;
}

QString perUserSettingsFilePath()
{
#ifdef Q_OS_WIN
    // The user's roaming application data, as Windows programs keep their settings.
    QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    if (appData.isEmpty() || QDir::isRelativePath(appData))
        appData = QDir::homePath() + QStringLiteral("/AppData/Roaming");
    return appData + QStringLiteral("/Miraven/miraven.Ini");
#else
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) // a relative one is to be ignored
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/miraven/miraven.Ini");
#endif
}

QString settingsFilePath()
{
    return perUser() ? perUserSettingsFilePath() : settingsFilePathFor(programFilePath());
}

} // namespace settings

namespace {

// An administrator's defaults for a packaged program that has no per-user file yet: the
// settings file beside the program, when there is one. Empty otherwise.
QString administratorsDefaults(const QString &path)
{
    if (!settings::perUser() || QFileInfo::exists(path))
        return {};
    const QString defaults = settings::settingsFilePathFor(settings::programFilePath());
    return QFileInfo(defaults).isFile() ? defaults : QString();
}

// The file a read looks at: the settings file, or while there is none, those defaults.
QString readPath()
{
    const QString path = settings::settingsFilePath();
    const QString defaults = administratorsDefaults(path);
    return defaults.isEmpty() ? path : defaults;
}

void store(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QString path = settings::settingsFilePath();
    QByteArray initial;
    if (settings::perUser() && !QFileInfo::exists(path)) {
        const QFileInfo folder(QFileInfo(path).absolutePath()); // .../miraven
        if (!folder.exists()) {
            QDir().mkpath(folder.absolutePath()); // the configuration folder itself, as usual
            QDir().mkdir(folder.absoluteFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        QFile defaults(administratorsDefaults(path));
        if (!defaults.fileName().isEmpty() && defaults.open(QIODevice::ReadOnly))
            initial = defaults.readAll();
    }
    ini::writeString(path, section, key, value, initial); // a folder that could not be made fails here
}

} // namespace

QByteArray ayarOku(const QByteArray &section, const QByteArray &key, const QByteArray &def)
{
    const QByteArray value = ini::readString(readPath(), section, key);
    if (!value.isEmpty())
        return value;
    store(section, key, def);
    return def;
}

void ayarYaz(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    store(section, key, value);
}

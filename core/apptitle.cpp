#include "core/apptitle.h"

#include <QCoreApplication>

QString titleFromProgramFile(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString applicationTitle()
{
    return titleFromProgramFile(QCoreApplication::applicationFilePath());
}

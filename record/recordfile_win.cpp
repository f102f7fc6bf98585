#include "record/recordfile.h"

#include "core/systemtext.h"

#include <QFile>

bool createRecordFile(QFile &file, const QString &path, QString *reason)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *reason = trimmedSystemText(file.errorString());
        return false;
    }
    return true;
}

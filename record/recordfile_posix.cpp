#include "record/recordfile.h"

#include "core/pathwalk.h"
#include "core/systemtext.h"

#include <QFile>

#include <unistd.h>

#include <cerrno>

bool createRecordFile(QFile &file, const QString &path, QString *reason)
{
    // Reached without following a link another user planted: the program may run with
    // privileges, and the file is emptied.
    bool refusedLink = false;
    const int fd = pathwalk::createForWriting(QFile::encodeName(path), &refusedLink);
    if (fd < 0) {
        *reason = trimmedSystemText(qt_error_string(errno));
        if (refusedLink)
            *reason += QStringLiteral(" (a symbolic link of another user on its way is not followed)");
        return false;
    }
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        *reason = trimmedSystemText(file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}

#include "terminal/filereplace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace filereplace {
namespace {

bool viaTemporaryFile(const QString &path, const QByteArray &content)
{
    QSaveFile out(path); // keeps the permissions of the file it replaces; commit() flushes
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() && out.commit();
}

#ifdef Q_OS_UNIX
bool writeAllAt(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.constData() + done, size_t(data.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool inPlace(const QString &path, const QByteArray &old, const QByteArray &content)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAllAt(fd, content) && ::ftruncate(fd, off_t(content.size())) == 0 && ::fsync(fd) == 0;
    if (!ok) {
        // What was written is undone; the old bytes fit where they stood before.
        writeAllAt(fd, old);
        if (::ftruncate(fd, off_t(old.size())) == 0)
            ::fsync(fd);
    }
    return ::close(fd) == 0 && ok;
}
#endif

} // namespace

bool replace(const QString &path, const QByteArray &old, bool existed, const QByteArray &content)
{
    // A link is followed to its end (a link to a link too); a dangling one names the file to make.
    const QFileInfo link(path);
    const QString target = !link.isSymLink() ? path : link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
#ifdef Q_OS_UNIX
    struct stat st {};
    if (existed && ::stat(QFile::encodeName(target).constData(), &st) == 0) {
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        const bool mayRename = st.st_uid == ::geteuid() && st.st_nlink == 1 && ::access(folder.constData(), W_OK) == 0;
        if (!mayRename)
            return inPlace(target, old, content);
    }
#else
    Q_UNUSED(old);
    Q_UNUSED(existed);
#endif
    return viaTemporaryFile(target, content);
}

} // namespace filereplace

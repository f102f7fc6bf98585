#include "terminal/filereplace.h"

#include "core/pathwalk.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace filereplace {
namespace {

using pathwalk::Fd;
using pathwalk::Place;
using pathwalk::locate;

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

bool readAll(int fd, QByteArray *out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out->append(buffer, n);
    }
}

Result inPlace(Fd &file, const QByteArray &old, const QByteArray &content)
{
    const bool ok = writeAllAt(file.get(), content) && ::ftruncate(file.get(), off_t(content.size())) == 0 &&
                    ::fsync(file.get()) == 0;
    if (ok)
        return file.close() ? Result::Written : Result::Failed;
    // What was written is undone; the old bytes fit where they stood before.
    const bool restored = writeAllAt(file.get(), old) && ::ftruncate(file.get(), off_t(old.size())) == 0 &&
                          ::fsync(file.get()) == 0;
    return file.close() && restored ? Result::Failed : Result::FailedNotRestored;
}

// A new file beside the old one, renamed over it: the old name then holds the new content and
// the old file's mode; nothing else is touched.
Result viaTemporaryFile(const Place &place, const QByteArray &content, const struct stat *old)
{
    QByteArray temporary;
    Fd out;
    const mode_t mode = old ? (old->st_mode & 07777) : 0666; // the umask applies to a new file
    for (int attempt = 0; attempt < 16 && !out.valid(); ++attempt) {
        temporary = "." + place.name + "." + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        out = Fd(::openat(place.folder.get(), temporary.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!out.valid() && errno != EEXIST)
            return Result::Failed;
    }
    bool ok = out.valid() && writeAllAt(out.get(), content) && (!old || ::fchmod(out.get(), mode) == 0) &&
              ::fsync(out.get()) == 0;
    ok = out.close() && ok;
    ok = ok && ::renameat(place.folder.get(), temporary.constData(), place.folder.get(), place.name.constData()) == 0;
    if (!ok) {
        ::unlinkat(place.folder.get(), temporary.constData(), 0);
        return Result::Failed;
    }
    // The rename itself reaches the disk: the folder, opened for reading where that is allowed
    // (it was walked to without reading it), is flushed too.
    const Fd folder(::openat(place.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return Result::Written;
}

} // namespace

Result replace(const QString &path, const std::function<QByteArray(const QByteArray *old)> &edit)
{
    Place place;
    if (!locate(QFile::encodeName(path), &place))
        return Result::Failed;
    Fd file(::openat(place.folder.get(), place.name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid() && errno == ENOENT)
        return viaTemporaryFile(place, edit(nullptr), nullptr);
    if (!file.valid())
        return Result::Failed; // not writable, or a link put there since it was looked at
    struct stat st {};
    QByteArray old;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || !readAll(file.get(), &old))
        return Result::Failed;
    const QByteArray content = edit(&old);
    const bool mayRename = st.st_uid == ::geteuid() && st.st_nlink == 1 &&
                           ::faccessat(place.folder.get(), ".", W_OK, AT_EACCESS) == 0;
    if (mayRename)
        return viaTemporaryFile(place, content, &st);
    return inPlace(file, old, content);
}

} // namespace filereplace

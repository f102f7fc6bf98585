#include "core/pathwalk.h"

#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#ifndef O_PATH // a folder opened only to be walked from
#define O_PATH O_RDONLY
#endif

namespace pathwalk {

Fd::~Fd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Fd::close()
{
    const int fd = std::exchange(m_fd, -1);
    return fd < 0 || ::close(fd) == 0;
}

namespace {

bool mayFollow(const struct stat &link)
{
    return link.st_uid == ::geteuid() || link.st_uid == 0;
}

} // namespace

// Walks path one name at a time from the root (or the current folder), opening each folder
// without following a link in its place; a link is read and walked in its stead only when
// mayFollow allows it. The last name is not opened.
bool locate(const QByteArray &path, Place *place, bool *refusedLink)
{
    QList<QByteArray> names = path.split('/');
    Fd folder(::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    int links = 0;
    while (folder.valid()) {
        while (!names.isEmpty() && (names.first().isEmpty() || names.first() == "."))
            names.removeFirst();
        if (names.isEmpty()) {
            errno = EISDIR; // the path names a folder
            return false;
        }
        const QByteArray name = names.takeFirst();
        struct stat st {};
        const bool exists = ::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && (errno != ENOENT || !names.isEmpty()))
            return false;
        if (exists && S_ISLNK(st.st_mode)) {
            if (!mayFollow(st)) {
                if (refusedLink)
                    *refusedLink = true;
                errno = EACCES;
                return false;
            }
            if (++links > 40) {
                errno = ELOOP;
                return false;
            }
            QByteArray target(qMax<qsizetype>(st.st_size, 255) + 1, '\0');
            const ssize_t n = ::readlinkat(folder.get(), name.constData(), target.data(), size_t(target.size()));
            if (n <= 0 || n >= target.size()) {
                errno = n < 0 ? errno : ENAMETOOLONG;
                return false;
            }
            target.truncate(n);
            if (target.startsWith('/'))
                folder = Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
            names = target.split('/') + names;
            continue;
        }
        if (names.isEmpty()) {
            *place = Place{std::move(folder), name};
            return true;
        }
        folder = Fd(::openat(folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return false;
}


int createForWriting(const QByteArray &path, bool *refusedLink)
{
    Place place;
    if (!locate(path, &place, refusedLink))
        return -1;
    // O_NOFOLLOW: a link that took the file's place since the walk is not followed either.
    return ::openat(place.folder.get(), place.name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                    0666);
}

} // namespace pathwalk

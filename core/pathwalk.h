#pragma once
// Reaching a file by its name without being led elsewhere by another user (POSIX systems).
//
// The path is walked one name at a time from the root (or the current folder); each folder is
// opened without following a link in its place. A symbolic link, in the file's name or in any
// folder on the way, is followed only when it belongs to the effective user or to the
// administrator (root), so a program run with privileges cannot be made to create, overwrite or
// truncate a file somewhere else by a link another user planted.

#include <QByteArray>

#include <utility>

namespace pathwalk {

// A descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd &&o) noexcept : m_fd(o.m_fd) { o.m_fd = -1; }
    Fd &operator=(Fd &&o) noexcept
    {
        std::swap(m_fd, o.m_fd);
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd();
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    // Closes now, reporting whether the close succeeded (a late write error shows here).
    bool close();

private:
    int m_fd;
};

// The folder that holds the file, open, and the file's name in it.
struct Place {
    Fd folder;
    QByteArray name;
};

// Walks path (in the system's file name encoding) to the folder of its last name; that name is
// not opened and need not exist. False, with errno set, when a folder on the way is missing,
// when the path names a folder, or when a link may not be followed (EACCES, and *refusedLink
// set when given).
bool locate(const QByteArray &path, Place *place, bool *refusedLink = nullptr);

// Creates the file at path anew for writing (an existing file is emptied), reached as locate()
// does; the last name itself is not followed when it is a link another user owns. A descriptor,
// or -1 with errno set.
int createForWriting(const QByteArray &path, bool *refusedLink = nullptr);

} // namespace pathwalk

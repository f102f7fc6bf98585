#pragma once
// Replacing the whole content of a small file so that a failure leaves it as it was.
//
// The file is opened once; what it held is read through that descriptor, and how it is written
// is decided on what was opened (fstat), never on a second look-up of its name:
// - Where the writer may do so without changing what the file is (it owns the file, the file has
//   one link and its folder may be written), the new content goes to a temporary file beside it,
//   flushed to disk and renamed over it: a crash at any moment leaves the old file or the new one.
//   A file that does not exist yet is made the same way.
// - Elsewhere (a file the writer may write in a folder it may not, a file of another owner, a
//   file with several links) the content is written in place, so the file keeps its inode, owner,
//   mode and links; if that write fails part-way the old bytes are written back. Only a crash in
//   the middle of such an in-place write can leave the file part old, part new.
// Symbolic links, in the file's name or in any folder on its way, are followed only when they
// belong to the writer or to the administrator (root): a link another user planted is never
// followed, so a program run with privileges cannot be made to create or overwrite a file
// somewhere else. A followed link stays a link; its target is written. (This is the POSIX writer,
// filereplace_posix.cpp; the Windows one, filereplace_win.cpp, replaces through ReplaceFileW or
// writes in place the same way, and leaves reparse points to the system.)

#include <QByteArray>
#include <QString>

#include <functional>

namespace filereplace {

enum class Result {
    Written,
    Failed,           // the file is as it was
    FailedNotRestored // a write in place failed and the old bytes could not be put back
};

// Replaces the content of the file at path with edit(old), where old is what the file holds, or
// null when there is no file yet (one is then made).
Result replace(const QString &path, const std::function<QByteArray(const QByteArray *old)> &edit);

} // namespace filereplace

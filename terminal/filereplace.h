#pragma once
// Replacing the whole content of a small file so that a failure leaves it as it was.
//
// Where the writer may do so without changing what the file is (it owns the file, the file has
// one link and its folder may be written), the new content goes to a temporary file beside it,
// flushed to disk and renamed over it: a crash at any moment leaves the old file or the new one.
// Elsewhere (a file the writer may write in a folder it may not, a file of another owner, a
// file with several links) the content is written in place, so the file keeps its inode, owner,
// mode and links; if that write fails part-way the old bytes are written back. Only a crash in
// the middle of such an in-place write can leave the file part old, part new.
// A symbolic link is followed: its target is written and the link stays a link.

#include <QByteArray>
#include <QString>

namespace filereplace {

// True when the file at path holds content afterwards. old is its content before (it is
// written back when an in-place write fails); existed says whether there was a file at all.
bool replace(const QString &path, const QByteArray &old, bool existed, const QByteArray &content);

} // namespace filereplace

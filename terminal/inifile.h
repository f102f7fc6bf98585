#pragma once
// Our own INI reader and writer. It reads one key per call and changes one key line per write,
// keeping every other byte of the file as it was: other keys, other sections, comments, blank
// lines, the line ends a user's editor left, even lines that are not INI at all.
//
// How it reads a file edited by hand:
// - A line ends at CR LF, LF or CR.
// - A section line is one whose first non-blank byte is '['; its name runs to the first ']'
//   or, when there is none, to the end of the line. Blanks and tabs around names are ignored and
//   names are compared with the ASCII letters folded to one case.
// - Only the first section of a name counts, for reading and for writing; a repeated section
//   and everything in it is kept but never looked at.
// - Within it, a line whose first non-blank byte is ';' is a comment, a line without '=' is
//   ignored, and the first line with the key wins.
// - A value is every byte after the first '=' up to the end of the line, exactly (blanks and
//   quotation marks included), cut at a byte 0 and to at most 2047 bytes.

#include <QByteArray>
#include <QString>

#include "core/errors.h"

// A store that could not reach the file; nothing of that write has reached it.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

namespace ini {

inline constexpr qsizetype kMaxValueLength = 2047;

// The value of section/key, or an empty text when the file, the section or the key is missing.
QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key);

// Stores value under section/key and flushes the file to disk before returning. A value is one
// line: it is cut at its first CR, LF or byte 0 so that it cannot break the lines around it.
// A missing file is created from initial (empty: from nothing). The write succeeds whenever the
// file itself can be written, and a failed one leaves it byte for byte as it was (see
// filereplace.h). Throws EIniFileException "Unable to write to <path>" when it cannot be written,
// with a word more when a write in place failed and the old bytes could not be put back.
void writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value, const QByteArray &initial = {});

// Tests: while set, every write fails as a write to a place that cannot be written does
// (running as root, a test cannot otherwise make an existing file unwritable).
void setWritesFail(bool fail);

// The pure text edit behind writeString: the file content with section/key set to value.
QByteArray withValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value);

// The pure lookup behind readString.
QByteArray valueIn(const QByteArray &content, const QByteArray &section, const QByteArray &key);

} // namespace ini

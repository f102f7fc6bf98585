#pragma once
// Writing a pane's text to a file: created anew (an existing file is replaced), the whole text
// in one write, closed also when the write fails.

#include "core/errors.h"

#include <QByteArray>
#include <QString>

// The target could not be created or opened: "Cannot create file "<path>". <reason>".
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// Fewer bytes were written than the text holds: "Stream write error".
class EWriteError : public Exception {
public:
    EWriteError() : Exception("Stream write error") {}
};

void writePaneFile(const QString &path, const QByteArray &text);

#include "terminal/filereplace.h"

#include <QDir>
#include <QRandomGenerator>

#include <windows.h>

namespace filereplace {
namespace {

// A handle that closes itself.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    bool close()
    {
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE || ::CloseHandle(h);
    }

private:
    HANDLE m_h;
};

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool writeAllAt(HANDLE h, const QByteArray &data)
{
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN))
        return false;
    qsizetype done = 0;
    while (done < data.size()) {
        DWORD n = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(data.size() - done, 1 << 30));
        if (!::WriteFile(h, data.constData() + done, chunk, &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

bool truncateAt(HANDLE h, qsizetype size)
{
    LARGE_INTEGER at;
    at.QuadPart = size;
    return ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
}

bool readAll(HANDLE h, QByteArray *out)
{
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr))
            return false;
        if (n == 0)
            return true;
        out->append(buffer, n);
    }
}

// Writes content to a new file beside path; its name on success.
QString temporaryBeside(const QString &path, const QByteArray &content)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = path + u'.' + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp");
        Handle out(::CreateFileW(native(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.valid()) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return {};
        }
        const bool ok = writeAllAt(out.get(), content) && ::FlushFileBuffers(out.get());
        if (out.close() && ok)
            return name;
        ::DeleteFileW(native(name).c_str());
        return {};
    }
    return {};
}

Result inPlace(Handle &file, const QByteArray &old, const QByteArray &content)
{
    const bool ok = writeAllAt(file.get(), content) && truncateAt(file.get(), content.size()) &&
                    ::FlushFileBuffers(file.get());
    if (ok)
        return file.close() ? Result::Written : Result::Failed;
    // What was written is undone; the old bytes fit where they stood before.
    const bool restored = writeAllAt(file.get(), old) && truncateAt(file.get(), old.size()) &&
                          ::FlushFileBuffers(file.get());
    return file.close() && restored ? Result::Failed : Result::FailedNotRestored;
}

} // namespace

// The file is opened once, for reading and writing, and what it held is read through that
// handle. A new content then replaces it through a temporary file beside it (ReplaceFileW keeps
// the file's attributes and security), so a crash leaves the old file or the new one; where the
// folder does not allow that, the content is written in place and put back if that fails.
Result replace(const QString &path, const std::function<QByteArray(const QByteArray *old)> &edit)
{
    const std::wstring name = native(path);
    Handle file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (::GetLastError() != ERROR_FILE_NOT_FOUND)
            return Result::Failed;
        // A new file: made beside and moved into place, never over one that appeared meanwhile.
        const QString made = temporaryBeside(path, edit(nullptr));
        if (made.isEmpty())
            return Result::Failed;
        if (::MoveFileExW(native(made).c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH))
            return Result::Written;
        ::DeleteFileW(native(made).c_str());
        return Result::Failed;
    }
    QByteArray old;
    if (!readAll(file.get(), &old))
        return Result::Failed;
    const QByteArray content = edit(&old);
    const QString made = temporaryBeside(path, content);
    if (!made.isEmpty()) {
        file.close(); // ReplaceFileW needs the file free of our handle
        if (::ReplaceFileW(name.c_str(), native(made).c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return Result::Written;
        ::DeleteFileW(native(made).c_str());
        // Reopened for the write in place.
        Handle again(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!again.valid())
            return Result::Failed;
        return inPlace(again, old, content);
    }
    return inPlace(file, old, content);
}

} // namespace filereplace

#include "terminal/panefile.h"

#include "core/systemtext.h"

#include <QDir>
#include <QFile>

void writePaneFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    // Unbuffered, so that a short write shows in the one write and not later at close.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(QDir::toNativeSeparators(path), trimmedSystemText(file.errorString()))
                                .toStdString());
    }
    const qint64 written = text.isEmpty() ? 0 : file.write(text);
    file.close();
    if (written != text.size())
        throw EWriteError();
}

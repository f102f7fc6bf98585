#include "ui/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>
#include <QtEndian>

#include <cstring>

namespace fonts {

namespace {

// The table directory of an sfnt: the offset of each table by its tag.
struct Table {
    quint32 offset = 0;
    quint32 length = 0;
    qsizetype entry = -1; // where its directory entry stands
};

Table findTable(const QByteArray &font, const char tag[4])
{
    const auto *p = reinterpret_cast<const uchar *>(font.constData());
    if (font.size() < 12)
        return {};
    const int count = qFromBigEndian<quint16>(p + 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 12 + 16 * qsizetype(i);
        if (entry + 16 > font.size())
            return {};
        if (std::memcmp(p + entry, tag, 4) == 0) {
            const quint32 offset = qFromBigEndian<quint32>(p + entry + 8);
            const quint32 length = qFromBigEndian<quint32>(p + entry + 12);
            if (qint64(offset) + length > font.size())
                return {};
            return {offset, length, entry};
        }
    }
    return {};
}

} // namespace

QByteArray withWindowsMetrics(const QByteArray &source)
{
    QByteArray font = source;
    const Table hhea = findTable(font, "hhea");
    const Table os2 = findTable(font, "OS/2");
    if (hhea.entry < 0 || hhea.length < 10 || os2.entry < 0 || os2.length < 78)
        return {};
    auto *p = reinterpret_cast<uchar *>(font.data());
    const quint16 winAscent = qFromBigEndian<quint16>(p + os2.offset + 74);
    const quint16 winDescent = qFromBigEndian<quint16>(p + os2.offset + 76);
    if (winAscent == 0 || winAscent > 32767 || winDescent > 32767)
        return {};
    // hhea: ascender, descender, lineGap.
    qToBigEndian<qint16>(qint16(winAscent), p + hhea.offset + 4);
    qToBigEndian<qint16>(qint16(-winDescent), p + hhea.offset + 6);
    qToBigEndian<qint16>(0, p + hhea.offset + 8);
    // OS/2: sTypoAscender, sTypoDescender, sTypoLineGap, for renderers that prefer them.
    qToBigEndian<qint16>(qint16(winAscent), p + os2.offset + 68);
    qToBigEndian<qint16>(qint16(-winDescent), p + os2.offset + 70);
    qToBigEndian<qint16>(0, p + os2.offset + 72);
    // Embedded bitmaps bring line metrics of their own; renamed, no renderer finds them and the
    // outlines are drawn at every size.
    for (const char *tag : {"EBLC", "EBDT", "EBSC", "bloc", "bdat"}) {
        const Table t = findTable(font, tag);
        if (t.entry >= 0)
            p[t.entry] = uchar('x');
    }
    return font;
}

void install()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    for (const char *path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/fonts/truetype/wine/tahoma.ttf"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray original = file.readAll();
        const QByteArray patched = withWindowsMetrics(original);
        if (QFontDatabase::addApplicationFontFromData(patched.isEmpty() ? original : patched) >= 0)
            break;
    }
}

QFont tahoma(int pixelSize)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    return f;
}

QFont windowFont()
{
    return tahoma(11);
}

} // namespace fonts

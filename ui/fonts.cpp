#include "ui/fonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QtEndian>

#include <cstdio>
#include <cstring>

namespace fonts {

namespace {

// The family the copy of the fonts-wine file is loaded under.
const char kLoadedFamily[] = "Miraven Tahoma";

QString g_family = QStringLiteral("Tahoma");

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

void putU16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xff));
}

// A name table whose family, full and PostScript names are `family`; every other name is kept.
// Empty when the source table cannot be read.
QByteArray renamedNameTable(const uchar *table, quint32 length, const QString &family)
{
    if (length < 6)
        return {};
    const quint16 count = qFromBigEndian<quint16>(table + 2);
    const quint16 storage = qFromBigEndian<quint16>(table + 4);
    if (6 + 12 * quint32(count) > length || storage > length)
        return {};
    QString postScript = family;
    postScript.remove(u' ');
    struct Record {
        quint16 platform, encoding, language, nameId;
        QByteArray text;
    };
    QList<Record> records;
    for (int i = 0; i < count; ++i) {
        const uchar *r = table + 6 + 12 * i;
        Record rec{qFromBigEndian<quint16>(r), qFromBigEndian<quint16>(r + 2), qFromBigEndian<quint16>(r + 4),
                   qFromBigEndian<quint16>(r + 6), {}};
        const quint32 len = qFromBigEndian<quint16>(r + 8), off = qFromBigEndian<quint16>(r + 10);
        if (rec.language >= 0x8000) // refers to a language-tag list that is not carried over
            continue;
        const bool unicode = rec.platform == 0 || rec.platform == 3;
        if (rec.nameId == 1 || rec.nameId == 4 || rec.nameId == 6 || rec.nameId == 16 || rec.nameId == 21) {
            const QString name = rec.nameId == 6 ? postScript : family;
            if (unicode) {
                for (QChar c : name)
                    putU16(rec.text, c.unicode());
            } else {
                rec.text = name.toLatin1();
            }
        } else {
            if (quint32(storage) + off + len > length)
                return {};
            rec.text = QByteArray(reinterpret_cast<const char *>(table) + storage + off, len);
        }
        records.append(rec);
    }
    QByteArray out;
    putU16(out, 0);
    putU16(out, quint16(records.size()));
    putU16(out, quint16(6 + 12 * records.size()));
    QByteArray strings;
    for (const Record &rec : records) {
        if (strings.size() + rec.text.size() > 0xffff)
            return {};
        putU16(out, rec.platform);
        putU16(out, rec.encoding);
        putU16(out, rec.language);
        putU16(out, rec.nameId);
        putU16(out, quint16(rec.text.size()));
        putU16(out, quint16(strings.size()));
        strings += rec.text;
    }
    return out + strings;
}

quint32 tableChecksum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append(QByteArray((4 - padded.size() % 4) % 4, '\0'));
    quint32 sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += qFromBigEndian<quint32>(padded.constData() + i);
    return sum;
}

// What a candidate measures, for the message when none fits.
QString describe(const QFont &font)
{
    const QFontMetrics fm(font);
    return QStringLiteral("ascent %1, height %2").arg(fm.ascent()).arg(fm.height());
}

} // namespace

QByteArray withWindowsMetrics(const QByteArray &source, const QString &newFamily)
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
    if (newFamily.isEmpty())
        return font;
    // The renamed name table goes at the end of the file; its directory entry points there.
    const Table name = findTable(font, "name");
    if (name.entry < 0)
        return {};
    const QByteArray table = renamedNameTable(p + name.offset, name.length, newFamily);
    if (table.isEmpty())
        return {};
    font.append(QByteArray((4 - font.size() % 4) % 4, '\0'));
    const quint32 offset = quint32(font.size());
    font.append(table);
    font.append(QByteArray((4 - font.size() % 4) % 4, '\0'));
    p = reinterpret_cast<uchar *>(font.data());
    qToBigEndian<quint32>(tableChecksum(table), p + name.entry + 4);
    qToBigEndian<quint32>(offset, p + name.entry + 8);
    qToBigEndian<quint32>(quint32(table.size()), p + name.entry + 12);
    return font;
}

QStringList defaultFontFiles()
{
#ifdef Q_OS_WIN
    // Windows' own Tahoma (which measures so as it is, unless something replaced it), then the
    // Wine font that Wine serves its Tahoma from, seen through Wine's drive of the Unix root.
    const QString windows = QDir::fromNativeSeparators(qEnvironmentVariable("WINDIR", QStringLiteral("C:/Windows")));
    return {windows + QStringLiteral("/Fonts/tahoma.ttf"), QStringLiteral("Z:/usr/share/wine/fonts/tahoma.ttf")};
#else
    return {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
            QStringLiteral("/usr/share/fonts/truetype/wine/tahoma.ttf")};
#endif
}

bool hasWindowsLineMetrics(const QFont &font)
{
    const QFontMetrics fm(font);
    return fm.ascent() == 11 && fm.height() == 13;
}

QString install(const QStringList &files)
{
    static bool done = false;
    if (done)
        return {};
    done = true;
    g_family = QStringLiteral("Tahoma");
    if (hasWindowsLineMetrics(tahoma(11)))
        return {};
    QStringList tried{QStringLiteral("\"Tahoma\" measures %1").arg(describe(tahoma(11)))};
    const QString loaded = QString::fromLatin1(kLoadedFamily);
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            tried << QStringLiteral("%1: %2").arg(path, file.errorString());
            continue;
        }
        const QByteArray patched = withWindowsMetrics(file.readAll(), loaded);
        if (patched.isEmpty()) {
            tried << QStringLiteral("%1: not a font whose metrics can be set").arg(path);
            continue;
        }
        const int id = QFontDatabase::addApplicationFontFromData(patched);
        if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(loaded)) {
            tried << QStringLiteral("%1: the font could not be loaded").arg(path);
            continue;
        }
        g_family = loaded;
        if (hasWindowsLineMetrics(tahoma(11)))
            return {};
        tried << QStringLiteral("%1 measures %2").arg(path, describe(tahoma(11)));
        QFontDatabase::removeApplicationFont(id);
        g_family = QStringLiteral("Tahoma");
    }
    g_family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    const QString reason = QStringLiteral("no font measures 13 pixels a line with an ascent of 11 at 11 pixels (%1); "
                                          "using \"%2\", whose lines may cut the marks over capitals")
                               .arg(tried.join(QStringLiteral("; ")), g_family);
    std::fprintf(stderr, "miraven: %s\n", qPrintable(reason));
    return reason;
}

QString family()
{
    return g_family;
}

QFont tahoma(int pixelSize)
{
    QFont f(g_family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    return f;
}

QFont windowFont()
{
    return tahoma(11);
}

} // namespace fonts

#include "record/trafficlog.h"

#include "core/codepage.h"

#include <algorithm>
#include <cstring>

namespace trafficlog {
namespace {

// Each byte as the text column shows it, in UTF-8: control bytes as the symbols made for them
// (U+2400 onwards, U+2421 for DEL), bytes the code page leaves undefined as U+FFFD, the rest as
// the code page's character.
struct Tables {
    char text[256][4];
    quint8 textLength[256];
    char hex[256][3];
    Tables()
    {
        const char *digits = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            char16_t c = cp1254::toUnicode(uchar(b));
            if (b < 0x20)
                c = char16_t(0x2400 + b);
            else if (b == 0x7F)
                c = u'\u2421';
            else if (c >= 0x80 && c < 0xA0)
                c = u'\uFFFD';
            const QByteArray utf8 = QString(QChar(c)).toUtf8();
            std::memcpy(text[b], utf8.constData(), size_t(utf8.size()));
            textLength[b] = quint8(utf8.size());
            hex[b][0] = digits[b >> 4];
            hex[b][1] = digits[b & 15];
            hex[b][2] = ' ';
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

const char *name(Direction d)
{
    switch (d) {
    case Direction::Sent: return "sent    ";
    case Direction::Received: return "received";
    case Direction::Status: return "status  ";
    }
    return "        ";
}

// Timestamp (23), two blanks, direction (8), two blanks, count (8, right-aligned), two blanks.
constexpr int kPrefix = 23 + 2 + 8 + 2 + 8 + 2;
constexpr int kHexWidth = kBytesPerLine * 3 - 1;
// The longest line: prefix, hex column and its two blanks, text (3 bytes a character), '\n'.
constexpr int kMaxLine = kPrefix + kHexWidth + 2 + kBytesPerLine * 3 + 1;

char *putText(char *out, QByteArrayView bytes)
{
    const Tables &t = tables();
    for (const char c : bytes) {
        const uchar b = uchar(c);
        std::memcpy(out, t.text[b], 4); // room for 4 is always there; only textLength counts
        out += t.textLength[b];
    }
    return out;
}

} // namespace

QByteArray entry(const QDateTime &when, Direction direction, QByteArrayView bytes)
{
    const qsizetype rows = qMax<qsizetype>(1, (bytes.size() + kBytesPerLine - 1) / kBytesPerLine);
    // Every line fits in kMaxLine (a status line's text, three bytes a character, in the room of
    // its rows); putText may write up to 3 bytes past the last character.
    QByteArray out(rows * kMaxLine + 4, Qt::Uninitialized);
    char *p = out.data();
    const QByteArray stamp = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    p = std::copy(stamp.begin(), stamp.end(), p);
    p = std::copy_n("  ", 2, p);
    p = std::copy_n(name(direction), 8, p);
    p = std::copy_n("  ", 2, p);
    if (direction == Direction::Status) {
        p = std::fill_n(p, 8 + 2, ' ');
        p = putText(p, bytes);
        *p++ = '\n';
        out.truncate(p - out.data());
        return out;
    }
    const QByteArray count = QByteArray::number(bytes.size()).rightJustified(8, ' ');
    p = std::copy(count.begin(), count.end(), p);
    p = std::copy_n("  ", 2, p);
    const Tables &t = tables();
    for (qsizetype at = 0; at < bytes.size(); at += kBytesPerLine) {
        if (at > 0)
            p = std::fill_n(p, kPrefix, ' ');
        const QByteArrayView row = bytes.sliced(at, qMin<qsizetype>(kBytesPerLine, bytes.size() - at));
        for (const char c : row)
            p = std::copy_n(t.hex[uchar(c)], 3, p);
        // The text column starts in the same place on every line.
        p = std::fill_n(p, kHexWidth + 2 - row.size() * 3, ' ');
        p = putText(p, row);
        *p++ = '\n';
    }
    out.truncate(p - out.data());
    return out;
}

} // namespace trafficlog

TrafficLog::TrafficLog() = default;
TrafficLog::~TrafficLog() = default;

bool TrafficLog::create(const QString &path)
{
    return m_file.create(path);
}

void TrafficLog::write(trafficlog::Direction direction, QByteArrayView bytes)
{
    if (m_file.failed())
        return;
    m_file.append(trafficlog::entry(QDateTime::currentDateTime(), direction, bytes));
}

void TrafficLog::status(const QByteArray &line)
{
    write(trafficlog::Direction::Status, line);
}

void TrafficLog::sent(QByteArrayView bytes)
{
    write(trafficlog::Direction::Sent, bytes);
}

void TrafficLog::received(QByteArrayView bytes)
{
    write(trafficlog::Direction::Received, bytes);
}

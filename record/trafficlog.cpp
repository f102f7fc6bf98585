#include "record/trafficlog.h"

#include "core/codepage.h"

#include <array>

namespace trafficlog {
namespace {

// Each byte as the text column shows it, in UTF-8: control bytes as the symbols made for them
// (U+2400 onwards, U+2421 for DEL), bytes the code page leaves undefined as U+FFFD, the rest as
// the code page's character.
struct Tables {
    std::array<QByteArray, 256> text;
    std::array<char[3], 256> hex;
    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            char16_t c = cp1254::toUnicode(uchar(b));
            if (b < 0x20)
                c = char16_t(0x2400 + b);
            else if (b == 0x7F)
                c = u'\u2421';
            else if (c >= 0x80 && c < 0xA0)
                c = u'\uFFFD';
            text[size_t(b)] = QString(QChar(c)).toUtf8();
            const char *digits = "0123456789ABCDEF";
            hex[size_t(b)][0] = digits[b >> 4];
            hex[size_t(b)][1] = digits[b & 15];
            hex[size_t(b)][2] = ' ';
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
    return "";
}

// Timestamp (23), two blanks, direction (8), two blanks, count (8, right-aligned), two blanks.
constexpr int kPrefix = 23 + 2 + 8 + 2 + 8 + 2;
constexpr int kHexWidth = kBytesPerLine * 3 - 1;

void appendText(QByteArray &out, QByteArrayView bytes)
{
    const Tables &t = tables();
    for (const char c : bytes)
        out += t.text[uchar(c)];
}

} // namespace

QByteArray entry(const QDateTime &when, Direction direction, QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(kPrefix + 16 + (bytes.size() / kBytesPerLine + 1) * (kPrefix + kHexWidth + 2 + kBytesPerLine * 3 + 1));
    out += when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    out += "  ";
    out += name(direction);
    out += "  ";
    if (direction == Direction::Status) {
        out += QByteArray(8, ' ');
        out += "  ";
        appendText(out, bytes);
        out += '\n';
        return out;
    }
    out += QByteArray::number(bytes.size()).rightJustified(8, ' ');
    out += "  ";
    const Tables &t = tables();
    for (qsizetype at = 0; at < bytes.size(); at += kBytesPerLine) {
        if (at > 0)
            out += QByteArray(kPrefix, ' ');
        const QByteArrayView row = bytes.sliced(at, qMin<qsizetype>(kBytesPerLine, bytes.size() - at));
        for (const char c : row)
            out.append(t.hex[uchar(c)], 3);
        // The text column starts in the same place on every line.
        out += QByteArray(kHexWidth + 2 - (row.size() * 3 - 1) - 1, ' ');
        appendText(out, row);
        out += '\n';
    }
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

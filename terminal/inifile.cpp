#include "terminal/inifile.h"

#include "terminal/filereplace.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace ini {
namespace {

struct Line {
    qsizetype start;   // first byte of the line
    qsizetype length;  // without its line end
    qsizetype endLength; // 0 (last line without line end), 1 (CR or LF) or 2 (CR LF)
};

std::vector<Line> splitLines(const QByteArray &content)
{
    std::vector<Line> lines;
    const char *d = content.constData();
    const qsizetype n = content.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const char c = d[i];
        if (c == '\r' || c == '\n') {
            qsizetype endLen = (c == '\r' && i + 1 < n && d[i + 1] == '\n') ? 2 : 1;
            lines.push_back({start, i - start, endLen});
            i += endLen;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.push_back({start, n - start, 0});
    return lines;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmed(const char *b, const char *e)
{
    while (b < e && isBlank(*b))
        ++b;
    while (e > b && isBlank(e[-1]))
        --e;
    return QByteArray(b, e - b);
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The section name of a section line, or a null array when the line is not one.
QByteArray sectionName(const QByteArray &content, const Line &line)
{
    const char *b = content.constData() + line.start;
    const char *e = b + line.length;
    while (b < e && isBlank(*b))
        ++b;
    if (b == e || *b != '[')
        return {};
    ++b;
    const char *close = b;
    while (close < e && *close != ']')
        ++close;
    QByteArray name = trimmed(b, close);
    if (name.isNull())
        name = QByteArray(""); // "[]" is a section line with an empty name
    return name;
}

struct KeyLine {
    bool isKey = false;
    QByteArray key;
    qsizetype valueStart = 0; // offset in content
};

KeyLine keyLine(const QByteArray &content, const Line &line)
{
    const char *base = content.constData();
    const char *b = base + line.start;
    const char *e = b + line.length;
    const char *p = b;
    while (p < e && isBlank(*p))
        ++p;
    if (p < e && *p == ';')
        return {};
    const char *eq = static_cast<const char *>(memchr(b, '=', size_t(e - b)));
    if (!eq)
        return {};
    return {true, trimmed(b, eq), (eq + 1) - base};
}

// Where a section stands: index of its section line and one past its last line.
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QByteArray &content, const std::vector<Line> &lines, const QByteArray &section)
{
    SectionSpan span;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArray name = sectionName(content, lines[i]);
        if (name.isNull())
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(name, section))
            span.header = i;
    }
    if (span.header >= 0)
        span.end = qsizetype(lines.size());
    return span;
}

qsizetype findKey(const QByteArray &content, const std::vector<Line> &lines, const SectionSpan &span,
                  const QByteArray &key, KeyLine *found)
{
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        KeyLine k = keyLine(content, lines[i]);
        if (k.isKey && sameName(k.key, key)) {
            *found = k;
            return i;
        }
    }
    return -1;
}

QByteArray singleLine(const QByteArray &value)
{
    qsizetype cut = value.size();
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' || c == '\n' || c == '\0') {
            cut = i;
            break;
        }
    }
    return value.left(cut);
}

const QByteArray kCrLf("\r\n");

bool &writesFail()
{
    static bool fail = false;
    return fail;
}

} // namespace

void setWritesFail(bool fail)
{
    writesFail() = fail;
}

QByteArray valueIn(const QByteArray &content, const QByteArray &section, const QByteArray &key)
{
    const auto lines = splitLines(content);
    const SectionSpan span = findSection(content, lines, section);
    if (span.header < 0)
        return {};
    KeyLine k;
    const qsizetype at = findKey(content, lines, span, key, &k);
    if (at < 0)
        return {};
    const Line &line = lines[at];
    qsizetype len = line.start + line.length - k.valueStart;
    const char *v = content.constData() + k.valueStart;
    if (const void *zero = memchr(v, '\0', size_t(len)))
        len = static_cast<const char *>(zero) - v;
    return QByteArray(v, qMin(len, kMaxValueLength));
}

QByteArray withValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value)
{
    const auto lines = splitLines(content);
    const QByteArray keyText = key + '=' + singleLine(value);
    const SectionSpan span = findSection(content, lines, section);

    QByteArray out;
    out.reserve(content.size() + keyText.size() + section.size() + 8);

    if (span.header < 0) {
        out.append(content);
        if (!lines.empty() && lines.back().endLength == 0)
            out += kCrLf;
        out += '[' + section + ']' + kCrLf + keyText + kCrLf;
        return out;
    }

    KeyLine k;
    const qsizetype at = findKey(content, lines, span, key, &k);
    if (at >= 0) {
        const Line &line = lines[at];
        out.append(content.constData(), line.start);
        out += keyText;
        out.append(content.constData() + line.start + line.length,
                   content.size() - (line.start + line.length));
        return out;
    }

    // A new key goes after the section's last line that is not blank.
    qsizetype last = span.header;
    for (qsizetype i = span.end - 1; i > span.header; --i) {
        const Line &line = lines[i];
        if (!trimmed(content.constData() + line.start, content.constData() + line.start + line.length).isEmpty()) {
            last = i;
            break;
        }
    }
    const Line &after = lines[last];
    const qsizetype split = after.start + after.length + after.endLength;
    out.append(content.constData(), split);
    if (after.endLength == 0)
        out += kCrLf;
    out += keyText + kCrLf;
    out.append(content.constData() + split, content.size() - split);
    return out;
}

QByteArray readString(const QString &path, const QByteArray &section, const QByteArray &key)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return {};
    return valueIn(file.readAll(), section, key);
}

void writeString(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value, const QByteArray &initial)
{
    const auto fail = [&](filereplace::Result why = filereplace::Result::Failed) {
        QString message = QStringLiteral("Unable to write to %1").arg(path);
        if (why == filereplace::Result::FailedNotRestored)
            message += QStringLiteral(", and its old content could not be put back: it may hold part of the new");
        throw EIniFileException(message.toStdString());
    };
    if (QFileInfo(path).isDir() || writesFail())
        fail();
    const filereplace::Result result = filereplace::replace(path, [&](const QByteArray *old) {
        return withValue(old ? *old : initial, section, key, value);
    });
    if (result != filereplace::Result::Written)
        fail(result);
}

} // namespace ini

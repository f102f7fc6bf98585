#include "app/commandline.h"

#include "core/codepage.h"
#include "terminal/strtoint.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// The options Qt 6 documents for every application (QGuiApplication, QApplication and the
// platform plugins'); they come with one dash or two.
struct QtOption {
    const char *name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"style", true},         {"stylesheet", true},      {"widgetcount", false},   {"reverse", false},
    {"qmljsdebugger", true}, {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},          {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},  {"session", true},         {"display", true},        {"geometry", true},
    {"dialogs", true},       {"fontengine", true},
};

// Whether two names reach one file (two records in one file would mix).
bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa == fb;
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

} // namespace

CommandLine parseCommandLine(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Talk to a TCP server by hand: connect to a host and port, send "
                                                    "text with #nnn byte escapes and macros, watch what comes back "
                                                    "as text and as decimal byte values."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption connect(QStringLiteral("connect"),
                                     QStringLiteral("Press \"Bağlan\" (connect) once the window is shown."));
    parser.addOption(connect);
    const QCommandLineOption capture(QStringLiteral("capture"),
                                     QStringLiteral("Record every connection of the run in <file>, a pcapng capture "
                                                    "that Wireshark and tshark open (made anew at start)."),
                                     QStringLiteral("file"));
    parser.addOption(capture);
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Record what is sent and received, and the status lines, in <file> as "
                                                "readable text: time, direction, count, hex and text (made anew at "
                                                "start). Example: miraven --capture plc.pcapng --log plc.log "
                                                "192.168.0.10 502 --connect"),
                                 QStringLiteral("file"));
    parser.addOption(log);
    parser.addPositionalArgument(QStringLiteral("host"),
                                 QStringLiteral("The host (a name or a dotted IPv4 address), as if typed into its box."),
                                 QStringLiteral("host"));
    parser.addPositionalArgument(QStringLiteral("port"),
                                 QStringLiteral("The port, decimal or hexadecimal ($2704, x2704, 0x2704), as if "
                                                "typed into its box. Both are stored when a connect stores them. "
                                                "Example: miraven 192.168.0.10 502 --connect"),
                                 QStringLiteral("port"));
    for (const QtOption &o : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(o.name));
        if (o.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    CommandLine result;
    // The program's name as it was started, without its folder (either separator) or ".exe".
    QString program = args.isEmpty() ? QStringLiteral("miraven") : args.first();
    program = program.mid(qMax(program.lastIndexOf(u'/'), program.lastIndexOf(u'\\')) + 1);
    if (program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        program.chop(4);
    if (!parser.parse(args)) {
        result.action = CommandLine::Error;
        result.text = QStringLiteral("%1: %2 (try --help)").arg(program, parser.errorText().section(u'\n', 0, 0));
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = CommandLine::Help;
        // The first line names the program as it was started, whatever process asks.
        const QString text = parser.helpText();
        result.text = QStringLiteral("Usage: %1 [options] [host [port]]").arg(program) + text.mid(text.indexOf(u'\n'));
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Version;
        result.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion());
    } else {
        const QStringList positional = parser.positionalArguments();
        const auto error = [&](const QString &what) {
            result.action = CommandLine::Error;
            result.text = QStringLiteral("%1: %2 (try --help)").arg(program, what);
        };
        // What a box can hold: code page text of one line.
        const auto boxText = [&](const QString &arg, const char *name) -> std::optional<QByteArray> {
            const QByteArray bytes = cp1254::fromUnicode(arg);
            if (cp1254::toUnicode(bytes) != arg || arg.contains(u'\n') || arg.contains(u'\r')) {
                error(QStringLiteral("the %1 '%2' holds characters its box cannot").arg(QLatin1String(name), arg));
                return std::nullopt;
            }
            return bytes;
        };
        if (positional.size() > 2) {
            error(QStringLiteral("unexpected argument '%1'").arg(positional.at(2)));
        } else {
            if (positional.size() >= 1)
                result.host = boxText(positional.at(0), "host");
            if (positional.size() == 2 && result.action == CommandLine::Run) {
                result.port = boxText(positional.at(1), "port");
                if (result.port && !tryStrToInt(*result.port))
                    error(QStringLiteral("'%1' is not a valid port").arg(positional.at(1)));
            }
            result.connect = parser.isSet(connect);
            result.capture = parser.value(capture);
            result.log = parser.value(log);
            if (result.action != CommandLine::Run)
                return result;
            if (parser.isSet(capture) && result.capture.isEmpty())
                error(QStringLiteral("--capture needs a file name"));
            else if (parser.isSet(log) && result.log.isEmpty())
                error(QStringLiteral("--log needs a file name"));
            else if (!result.capture.isEmpty() && !result.log.isEmpty() && sameFile(result.capture, result.log))
                error(QStringLiteral("--capture and --log name the same file"));
        }
    }
    return result;
}

int answerCommandLine(int argc, char **argv, CommandLine *run)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine c = parseCommandLine(args);
#ifdef Q_OS_WIN
    // A windowed program has no console of its own: what it prints goes to the console it was
    // started from, when there is one.
    if (c.action != CommandLine::Run && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    switch (c.action) {
    case CommandLine::Run:
        *run = c;
        return -1;
    case CommandLine::Help:
    case CommandLine::Version:
        std::fputs(c.text.toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Error:
        std::fprintf(stderr, "%s\n", c.text.toLocal8Bit().constData());
        return 2;
    }
    return -1;
}

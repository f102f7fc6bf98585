#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

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
        result.text = QStringLiteral("Usage: %1 [options]").arg(program) + text.mid(text.indexOf(u'\n'));
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Version;
        result.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion());
    } else if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Error;
        result.text = QStringLiteral("%1: unexpected argument '%2' (try --help)")
                          .arg(program, parser.positionalArguments().first());
    }
    return result;
}

int answerCommandLine(int argc, char **argv)
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
    case CommandLine::Run: return -1;
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

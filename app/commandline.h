#pragma once
// The command line: --help and --version answer and end the program before any window opens or
// the settings file is touched; the options Qt itself takes (-platform, -style, -geometry, ...)
// are passed on to it. A host and a port may follow, as if typed into their boxes at start (they
// are stored only when a connect stores them), and --connect presses the connect button once the
// window is shown. --capture FILE and --log FILE record the run's traffic. Anything else, or a
// port the port box would not take, is an error.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    QString text; // what to print: the help or version text, or the one-line error
    // For a run: the host and port boxes' texts (code page bytes), and the connect.
    std::optional<QByteArray> host;
    std::optional<QByteArray> port;
    bool connect = false;
    // Files to record the run's traffic in (empty: none): a pcapng capture, a text log.
    QString capture;
    QString log;
};

// args as main() receives them, the program's name first.
CommandLine parseCommandLine(const QStringList &args);

// Prints what the command line asks for. Returns the exit code when the program ends here
// (0 after help or version, 2 after an error), or -1 when it goes on to open its window, with
// what the run starts with in *run.
int answerCommandLine(int argc, char **argv, CommandLine *run);

#pragma once
// The command line: --help and --version answer and end the program before any window opens or
// the settings file is touched; the options Qt itself takes (-platform, -style, -geometry, ...)
// are passed on to it; anything else is an error.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    QString text; // what to print: the help or version text, or the one-line error
};

// args as main() receives them, the program's name first.
CommandLine parseCommandLine(const QStringList &args);

// Prints what the command line asks for. Returns the exit code when the program ends here
// (0 after help or version, 2 after an error), or -1 when it goes on to open its window.
int answerCommandLine(int argc, char **argv);

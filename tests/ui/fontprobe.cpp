// Chooses the window font in a process of its own (fontconfig reads its configuration once per
// process) and prints what was chosen: the family on the first line, ascent and height at 11 px
// on the second. The font files to try are the arguments; none: the default ones.
#include "ui/fonts.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    fonts::install(argc > 1 ? files : fonts::defaultFontFiles());
    fonts::install(files); // a second call says nothing more
    const QFontMetrics fm(fonts::windowFont());
    std::printf("%s\n%d %d\n", qPrintable(fonts::family()), fm.ascent(), fm.height());
    return 0;
}

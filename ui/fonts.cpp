#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace fonts {

void install()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        for (const char *path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/fonts/truetype/wine/tahoma.ttf"}) {
            if (QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0)
                break;
        }
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

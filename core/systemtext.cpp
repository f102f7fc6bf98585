#include "core/systemtext.h"

QString trimmedSystemText(QString text)
{
    while (!text.isEmpty() && (text.back().unicode() <= 32 || text.back() == u'.'))
        text.chop(1);
    return text;
}

#include "ui/glyphs.h"

#include <QPainter>
#ifdef MIRAVEN_GLYPHS_FROM_SVG
#include <QSvgRenderer>
#endif

namespace {
// The picture called name, size pixels square.
QPixmap render(const QString &name, int size)
{
#ifdef MIRAVEN_GLYPHS_FROM_SVG
    QSvgRenderer svg(QStringLiteral(":/images/%1.svg").arg(name));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p);
    p.end();
    return QPixmap::fromImage(image);
#else
    return QPixmap(QStringLiteral(":/images/%1_%2.png").arg(name).arg(size));
#endif
}
} // namespace

namespace glyphs {

QPixmap glyph(int imageIndex)
{
    static const QPixmap bolt = render(QStringLiteral("bolt"), 16);
    static const QPixmap plug = render(QStringLiteral("plug"), 16);
    static const QPixmap plugGrey = render(QStringLiteral("plug_grey"), 16);
    static const QPixmap help = render(QStringLiteral("help"), 16);
    static const QPixmap send = render(QStringLiteral("send"), 16);
    switch (imageIndex) {
    case 5: return bolt;
    case 6: return plug;
    case 7: return plugGrey;
    case 13: return help;
    case 15: return send;
    default: return {};
    }
}

QIcon windowIcon()
{
    QIcon icon;
    icon.addPixmap(render(QStringLiteral("miraven"), 16));
    icon.addPixmap(render(QStringLiteral("miraven"), 32));
    return icon;
}

} // namespace glyphs

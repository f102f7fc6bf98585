#include "ui/glyphs.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {
QPixmap render(const QString &resource, int size)
{
    QSvgRenderer svg(resource);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p);
    p.end();
    return QPixmap::fromImage(image);
}
} // namespace

namespace glyphs {

QPixmap glyph(int imageIndex)
{
    static const QPixmap bolt = render(QStringLiteral(":/images/bolt.svg"), 16);
    static const QPixmap plug = render(QStringLiteral(":/images/plug.svg"), 16);
    static const QPixmap plugGrey = render(QStringLiteral(":/images/plug_grey.svg"), 16);
    static const QPixmap help = render(QStringLiteral(":/images/help.svg"), 16);
    static const QPixmap send = render(QStringLiteral(":/images/send.svg"), 16);
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
    icon.addPixmap(render(QStringLiteral(":/images/miraven.svg"), 16));
    icon.addPixmap(render(QStringLiteral(":/images/miraven.svg"), 32));
    return icon;
}

} // namespace glyphs

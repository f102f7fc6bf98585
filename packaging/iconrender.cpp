// Renders the program's SVG icon to a square PNG of the given size, for the icon theme folders
// of the package.
//
//   miraven_iconrender SOURCE.svg SIZE OUT.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE.svg SIZE OUT.png\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (!svg.isValid() || size <= 0) {
        std::fprintf(stderr, "%s: cannot render %s at %s px\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(0, 0, size, size));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}

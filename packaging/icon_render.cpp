// Renders the program's scalable icon to a square PNG of the given size, at build time:
//   skelmora-icon-render ICON.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: skelmora-icon-render ICON.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    // Build machines have no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const int size = std::atoi(argv[2]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "skelmora-icon-render: size %s is not from 16 to 1024\n", argv[2]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "skelmora-icon-render: %s is not a valid SVG file\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "skelmora-icon-render: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

// Build-time tool: draws the program's SVG icon at the sizes of the hicolor icon theme, so the
// installed menu entry has sharp pictures where a desktop does not scale SVG icons itself.
// Usage: orvo-rendericon ICON.svg OUTDIR NAME SIZE...  writes OUTDIR/SIZExSIZE/apps/NAME.png, or
// OUTDIR/NAME for a NAME ending in ".ico" (a Windows icon of the last size).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "Usage: orvo-rendericon ICON.svg OUTDIR NAME SIZE...\n");
        return 2;
    }
    // The icon holds text, so fonts are needed, but never a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "orvo-rendericon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "orvo-rendericon: bad size %s\n", argv[i]);
            return 2;
        }
        // NAME.ico: one Windows icon file of that size in OUTDIR itself (the program's icon resource).
        const bool ico = name.endsWith(QStringLiteral(".ico"));
        const QString dir = ico ? QStringLiteral(".") : QStringLiteral("%1x%1/apps").arg(size);
        const QString file =
            out.filePath(ico ? name : dir + QLatin1Char('/') + name + QStringLiteral(".png"));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        if (!out.mkpath(dir) || !image.save(file, ico ? "ICO" : "PNG")) {
            std::fprintf(stderr, "orvo-rendericon: cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}

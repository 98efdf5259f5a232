#include "app/version.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void initResources() {
    Q_INIT_RESOURCE(orvo);
    Q_INIT_RESOURCE(orvo_icons);
}

std::string GetProgramVersion() {
    return ORVO_VERSION_TEXT;
}

// Month abbreviation, day, year, a comma and the time of day of the build.
const char* BuildStamp() {
    return __DATE__ ", " __TIME__;
}

// The pictures the build drew, one a size. They are read as PNG by name: a reader left to
// guess the format would first load every picture-format plug-in to ask it, a millisecond of the
// program's start.
QPixmap programPicture(int size) {
    initResources();
    QImageReader reader(QStringLiteral(":/orvo/orvo-%1.png").arg(size), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 57, 64, 128}) {
        const QPixmap picture = programPicture(size);
        if (!picture.isNull()) icon.addPixmap(picture);
    }
    return icon;
}

QString ManualPath(const QString& exeDir) {
    const QDir dir(exeDir);
    const QString beside = dir.filePath(QStringLiteral("OrvoManual.pdf"));
    if (QFileInfo::exists(beside)) return beside;
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/orvo/OrvoManual.pdf")));
    return QFileInfo::exists(installed) ? installed : beside;
}

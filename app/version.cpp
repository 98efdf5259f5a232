#include "app/version.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
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

// Loaded lazily, size by size, from the pictures the build drew.
QIcon programIcon() {
    initResources();
    QIcon icon;
    for (int size : {16, 32, 57, 64, 128})
        icon.addFile(QStringLiteral(":/orvo/orvo-%1.png").arg(size), QSize(size, size));
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

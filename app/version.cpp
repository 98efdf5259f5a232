#include "app/version.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void initResources() {
    Q_INIT_RESOURCE(orvo);
}

std::string GetProgramVersion() {
    return ORVO_VERSION_TEXT;
}

// Month abbreviation, day, year, a comma and the time of day of the build.
const char* BuildStamp() {
    return __DATE__ ", " __TIME__;
}

QIcon programIcon() {
    initResources();
    QSvgRenderer svg(QStringLiteral(":/orvo/orvo.svg"));
    QIcon icon;
    for (int size : {16, 32, 57, 64, 128}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        svg.render(&p);
        p.end();
        icon.addPixmap(pm);
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

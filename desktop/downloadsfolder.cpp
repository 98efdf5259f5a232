#include "desktop/downloadsfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace orvo {

std::string downloadsFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("downloads"))).toUtf8().toStdString();
}

} // namespace orvo

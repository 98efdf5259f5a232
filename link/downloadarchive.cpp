#include "link/downloadarchive.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvo {

std::string downloadsFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(base).filePath(QStringLiteral("downloads")).toStdString();
}

bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          std::string* path, std::string* error, const std::string& where) {
    const QString folder = QString::fromStdString(where.empty() ? downloadsFolder() : where);
    if (!QDir().mkpath(folder)) {
        if (error) *error = "cannot create " + folder.toStdString();
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    const QString stem = QStringLiteral("%1_set%2").arg(stamp).arg(moduleSetNumber, 3, 10, QLatin1Char('0'));
    // Two downloads within one second (an "All" of short sets) must not overwrite each other.
    QString file = QDir(folder).filePath(stem + QStringLiteral(".csv"));
    for (int i = 2; QFileInfo::exists(file); ++i)
        file = QDir(folder).filePath(QStringLiteral("%1_%2.csv").arg(stem).arg(i));
    const std::string target = QDir::toNativeSeparators(file).toStdString();
    if (saveDataSetFile(file.toStdString(), list, n, plot) != FileStatus::Ok) {
        if (error) *error = "cannot write " + target;
        return false;
    }
    if (path) *path = target;
    return true;
}

} // namespace orvo

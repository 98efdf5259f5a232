#include "moduleops/downloadarchive.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvo {

namespace {

// Whether folder holds a copy of module set setNumber with exactly samples samples. The newest
// copies (their names begin with the date) are looked at first.
bool hasSavedCopy(const QDir& folder, int setNumber, int samples) {
    const QString stem = QStringLiteral("*_set%1").arg(setNumber, 3, 10, QLatin1Char('0'));
    const QStringList files =
        folder.entryList({stem + QStringLiteral(".csv"), stem + QStringLiteral("_*.csv")},
                         QDir::Files | QDir::Readable, QDir::Name | QDir::Reversed);
    for (const QString& name : files) {
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        if (loadDataFile(folder.filePath(name).toStdString(), list, header, report) != FileStatus::Ok)
            continue;
        if (list.dataSetCount() == 1 && list.dataSet(0).samples.count == samples) return true;
    }
    return false;
}

} // namespace

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

EraseCheck checkBeforeErase(const SetListing& last, const SetListing& now, const std::string& where) {
    EraseCheck check;
    const QString folderPath = QString::fromStdString(where.empty() ? downloadsFolder() : where);
    const std::string shown = QDir::toNativeSeparators(folderPath).toStdString();
    for (const std::string& problem : listingProblems(now))
        check.reasons.push_back(problem);
    check.listingsAgree = now.agreesWith(last);
    if (now.confirmed() && !check.listingsAgree) {
        check.reasons.push_back(last.confirmed()
                                    ? "The module now lists " + std::to_string(now.count) +
                                          " data sets, not the same as the last listing (" +
                                          std::to_string(last.count) + "): what it holds has changed."
                                    : "The module's sets were not listed cleanly before: what it holds is "
                                      "not confirmed.");
    }
    const QDir folder(folderPath);
    for (std::size_t i = 0; i < now.entries.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (!hasSavedCopy(folder, number, static_cast<int>(now.entries[i].second)))
            check.unsaved.push_back(number);
    }
    // Lines that did not read as a set cannot be matched to a copy.
    for (int n = static_cast<int>(now.entries.size()) + 1; n <= now.count; ++n)
        check.unsaved.push_back(n);
    if (!check.unsaved.empty()) {
        std::string list;
        for (std::size_t i = 0; i < check.unsaved.size(); ++i) {
            if (i > 0) list += i + 1 == check.unsaved.size() ? " and " : ", ";
            list += std::to_string(check.unsaved[i]);
        }
        const bool one = check.unsaved.size() == 1;
        check.reasons.push_back(std::string(one ? "Set " : "Sets ") + list + (one ? " was" : " were") +
                                " never saved to the downloads folder " + shown + ": erasing loses " +
                                (one ? "it." : "them."));
    }
    return check;
}

} // namespace orvo

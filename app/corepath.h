// Paths and texts handed between the windows and the layers below: always UTF-8, on every system
// (QFile::encodeName would give the ANSI code page on Windows, where "flüge.csv" or a user folder
// named "José" would not survive it).
#pragma once

#include <QString>

#include <string>

namespace orvo {

inline std::string corePath(const QString& path) {
    return path.toUtf8().toStdString();
}

inline QString fromCore(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace orvo

// The downloads folder: every data set that arrives from the module is also kept there as a data
// set file, so an erase that follows a download cannot lose a flight nobody saved yet. The main
// window and orvo-cli call it after each downloaded set.
#pragma once

#include <string>

#include "data/datafile.h"
#include "data/series.h"

namespace orvo {

// <user data directory>/downloads (QStandardPaths::AppDataLocation).
std::string downloadsFolder();

// Writes data set n of list to a new file in the downloads folder (or in folder, when given),
// named after the time of the download and the module's set number (1-based). True with *path
// set; false with *error set.
bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          std::string* path, std::string* error, const std::string& folder = {});

} // namespace orvo

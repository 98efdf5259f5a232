// The downloads folder: every data set that arrives from the module is also kept there as a data
// set file, so an erase that follows a download cannot lose a flight nobody saved yet. The main
// window and orvo-cli call it after each downloaded set.
#pragma once

#include <string>

#include <vector>

#include "data/datafile.h"
#include "data/series.h"
#include "link/protocol.h"

namespace orvo {

// <user data directory>/downloads (QStandardPaths::AppDataLocation).
std::string downloadsFolder();

// Writes data set n of list to a new file in the downloads folder (or in folder, when given),
// named after the time of the download and the module's set number (1-based). True with *path
// set; false with *error set.
bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          std::string* path, std::string* error, const std::string& folder = {});

// Whether the module's memory may be erased without losing a flight nobody saved: the listing
// taken just now must agree with the last one, and every listed set must have a copy in the
// downloads folder holding as many samples as the listing line's second number.
struct EraseCheck {
    bool listingsAgree = false;
    std::vector<int> unsaved;         // listed sets (1 = the first) without such a copy
    std::vector<std::string> reasons; // what stands against erasing, one sentence each
    bool safe() const { return listingsAgree && unsaved.empty(); }
};
EraseCheck checkBeforeErase(const SetListing& last, const SetListing& now, const std::string& folder = {});

} // namespace orvo

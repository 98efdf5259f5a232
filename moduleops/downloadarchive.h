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

// How a kept download was made: the line the module listed its set with just before (none when the
// listing gave no line for it) and how the download ended. Kept beside the data set file, so an
// erase can tell a copy of what the module holds now from one of another flight.
struct DownloadRecord {
    bool hasLine = false;
    SetEntry line;
    bool whole = false; // endedAsASetEnds
    int words = 0;      // W of the set's header
    int samples = 0;    // samples kept
};
// Whether the download ended as the module ends a set: all W announced words read or, with W = 0,
// the module stopped sending; and nothing on the way showed lost bytes.
bool endedAsASetEnds(const DownloadOutcome& outcome);
// The record of a download from listing's set index (0 = the first).
DownloadRecord downloadRecord(const SetListing& listing, int index, const DownloadOutcome& outcome);

// Writes data set n of list to a new file in the downloads folder (the caller's: the window and
// orvo-cli keep it in the user's data folder), named after the time of the download (timeStamp,
// "2024-03-23_134138"; the local time when empty) and the module's set number (1-based), and
// record beside it ("<name>.listing"). True with *path set; false with *error set.
bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          const DownloadRecord& record, std::string* path, std::string* error,
                          const std::string& folder, const std::string& timeStamp = {});

// Whether the module's memory may be erased without losing a flight nobody saved: the listing
// taken just now must agree with the last one, and every listed set must have a whole copy in the
// downloads folder made from the line the module lists it with now. A module that lists no sets
// has nothing to erase, and is not erased unless the caller insists. A copy kept without its line
// (by an earlier version) counts when its sample count, or its samples plus one marker word per
// trigger mark, is the line's second number.
struct EraseCheck {
    bool listingsAgree = false;
    std::vector<int> unsaved;         // listed sets (1 = the first) without such a copy
    std::vector<std::string> reasons; // what stands against erasing, one sentence each
    bool safe() const { return listingsAgree && unsaved.empty(); }
};
EraseCheck checkBeforeErase(const SetListing& last, const SetListing& now, const std::string& folder);

} // namespace orvo

// Loading and saving data files for the orvo-cli commands (show, convert, edit, render), with the
// same words on the terminal for every way a file can fail to load or save.
#pragma once

#include <string>
#include <vector>

#include "data/datafile.h"

namespace orvo::cli {

// Loads path as the Load button does. On stderr: why it could not be opened or holds no data
// or why it was refused (then false, and nothing was added), what the load did with another
// program's file (the columns taken, a unit conversion), and each thing that did not load as
// written. prefix
// starts every message, e.g. "orvo-cli render: ".
// With budget, the file is one of several that make one load (see LoadBudget). Memory that runs
// out is "not enough memory to load PATH" (false, nothing added), never an abort.
bool loadDataFileReporting(const std::string& prefix, const std::string& path, SeriesList& list,
                           PlotFileHeader& header, LoadReport& report, LoadBudget* budget = nullptr);

// Takes the import options out of args: --time-column COLUMN, --altitude-column COLUMN (a
// column's name, in any case, or its number from 1) and --unit ft|yd|m; every later load of
// another program's file reads by them. Returns "" or what is wrong with them.
std::string takeImportOptions(std::vector<std::string>& args);
// The options' lines for a command's help.
extern const char* const ImportOptionsHelp;

// After a save that did not return Ok: "Unable to open PATH!" and why, "Unable to write PATH!",
// or the number that is not finite. n is the data set saved, or -1 for a plot file.
void reportSaveFailure(const std::string& prefix, const std::string& path, FileStatus status,
                       const SeriesList& list, int n, const PlotFileHeader& header);

} // namespace orvo::cli

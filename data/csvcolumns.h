// The CSV files of other altimeters and of flight simulators: a header that names the columns
// (often under '#' comment lines or a block of "Key: value" lines), then rows of comma,
// semicolon, tab or blank separated values. Such a file is read by its column names: one time
// column and one altitude column, with the units the names (or the header block) give; every
// other column is ignored, so no peak mark is ever read from a column that is not one. A file
// whose columns cannot be told apart is refused whole, with what was found and what is needed.
//
// Orvo's own files (plot files, data set files, plain "time, altitude, peak mark" lines) are
// never taken for foreign ones: the data file loader asks here first and reads its own files as
// it always did when told they are not foreign.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/datafile.h"

namespace orvo {

// What a column header names: which columns hold the time and the altitude, and their units.
struct CsvColumns {
    int timeColumn = -1;
    int altitudeColumn = -1;
    double timeFactor = 1.0;  // seconds per time unit: 0.001 for milliseconds
    std::string altitudeUnit; // "ft", "yd" or "m"; empty when the header does not say
    // Which altitude column was taken when several name one ("took \"height\" ..."); else empty.
    std::string choice;
};

// Chooses the columns from a header's column names as the file writes them ("Time (s)",
// "altitude_ft", "#version"). A column missing leaves its index at -1.
CsvColumns chooseColumns(const std::vector<std::string>& names);

// Splits one header line into column names: the separator is a tab, else a semicolon, else a
// comma, else runs of blanks (a blank-separated "(m)" stays with the name before it). A line
// "Key: (a, b, c)" names the columns in its parentheses. Leading '#' marks are dropped.
std::vector<std::string> splitHeader(std::string_view line);

// The altitude unit a text names as a word ("feet", "ft", "meters", "m", "yards", a number with a
// trailing "'" for feet); empty when it names none.
std::string unitOfWords(std::string_view text);

// When text is another program's CSV file, reads it: adds one data set (named by the caller) with
// its altitudeUnit set and returns true, or, when its columns cannot be told apart, adds nothing,
// sets report.noData and report.refused and returns true. Returns false, touching nothing, when
// text is one of Orvo's own files or holds nothing readable as a foreign file.
bool loadForeignCsv(std::string_view text, SeriesList& list, LoadReport& report);

// The unit words a plot's axis label and the messages use: "feet", "yards", "meters".
std::string unitWord(const std::string& unit);
std::string unitWord(const AltitudeUnit* unit);
// The unit a short name names ("ft", "yd", "m"); nullptr for any other text.
const AltitudeUnit* altitudeUnitOfShortName(const std::string& unit);

// One altitude unit per plot: the plot's unit is that of the first set before firstNew whose unit
// is known, or else the first unit the new sets bring (not for a plot file, which keeps what it
// was saved with). New sets in another unit are converted into it (their trigger sets too) and a
// note says so. When the load converted a set, brought another program's file or brought the
// plot's first unit, the plot's altitude label is made to name the plot's unit.
void convertToPlotUnit(SeriesList& list, int firstNew, PlotFileHeader& header, LoadReport& report);

} // namespace orvo

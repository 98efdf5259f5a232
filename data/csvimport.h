// Other programs' CSV files in two steps. Recognising a file reads only its start (the first MiB,
// and whole any longer lines there, such as a header of a million columns) and gives its layout:
// what kind of file it is (one of Orvo's own, a foreign file, UTF-16 text, nothing readable), the
// separator, the header and each column with its first values and guessed meaning, and the
// mapping the rules choose. Reading streams the file's rows by a mapping: which column is the
// time, which the altitude, in which units. The automatic load is read(recognise(file)); the
// import dialog and orvo-cli's column options edit the mapping in between.
//
// Whether a file is one of Orvo's own is decided here alone: a plot file, a data set file, and
// the plain "time, altitude, peak mark" lines are read by the data file reader as they always
// were.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/altitudeunit.h"
#include "data/datafile.h"

namespace orvo {

enum class FileKind {
    Nothing,     // not one row of numbers (the data file reader decides what to say)
    OrvoPlot,    // "Orvo Plot" (only its first letter has ever been looked at)
    OrvoDataSet, // a data set block, or Orvo's plain sample lines
    Foreign,     // another program's CSV file
    Utf16,       // UTF-16 text (it begins with its byte-order mark)
};

// Whether a first line starts a plot file: only its first letter has ever told it.
bool startsPlotFile(std::string_view firstLine);

enum class TimeForm {
    Number,   // seconds, or another unit times secondsPerUnit
    DateTime, // "2024-03-23T13:41:38.830", "2024-3-23--13-41-38-830", "13:41:38.830"
    Unknown,  // a unit the rules do not know ("time(not s)"): never taken as seconds
};

struct CsvColumn {
    std::string name;                     // as the header writes it ("column 3" without a header)
    std::vector<std::string> firstValues; // the first few rows' fields
    bool timeLike = false;                // the name says time
    int altitudeRank = 0;                 // how well the name says altitude (0: not at all)
    TimeForm timeForm = TimeForm::Number;
    double secondsPerUnit = 1.0;
    bool timeUnitNamed = false;
    const AltitudeUnit* unit = nullptr; // the altitude unit the name gives
    double unitScale = 1.0;             // units per value: 1000 for a column in km
};

// Which columns are read, and how.
struct CsvMapping {
    int timeColumn = -1; // into CsvLayout::columns
    int altitudeColumn = -1;
    TimeForm timeForm = TimeForm::Number;
    double secondsPerUnit = 1.0;
    const AltitudeUnit* unit = nullptr; // nullptr: the file does not say (the plot's unit is taken)
    double unitScale = 1.0;
    bool unitNamed = false; // the unit comes from the file or from the flyer
    bool operator==(const CsvMapping&) const = default;
};

struct CsvLayout {
    FileKind kind = FileKind::Nothing;
    char separator = ',';
    std::string header;   // the header line without comment marks; "" without one
    int rowsFrom = 0;     // the line (from 0) where rows begin: the one after the header
    int columnOffset = 0; // 1: the rows carry an unnamed index column before the named ones
    int rowFields = 0;    // the fields of a row
    bool named = false;   // a header names the columns
    std::vector<CsvColumn> columns;
    CsvMapping guess;
    // The guess is not sure: no altitude unit named, altitude columns the rules cannot rank,
    // or no time or altitude column recognised. doubt says which, in words.
    bool doubtful = false;
    std::string doubt;
    std::string refusal; // why the guess cannot be read (empty when it can)
    std::string choice;  // which of several altitude columns was taken, and why
    // Rows the header block holds above the header, or lines that look like rows before the
    // header: not read, but counted.
    int rowsBeforeHeader = 0;
    bool wholeFile = false; // the file ended inside the recognised start
    // The key under which a flyer's choice for files with this header is remembered.
    std::string headerKey() const;
};

// How far recognising reads.
constexpr std::size_t RecogniseBytes = std::size_t{1} << 20;
// No line of another program's file is kept longer than this; the rest of it is passed over.
constexpr std::size_t MaxForeignLineBytes = std::size_t{1} << 24;

CsvLayout recogniseCsv(LineReader& in);
CsvLayout recogniseCsv(std::string_view text);

// The mapping the flyer chose (orvo-cli's options, the import dialog's answer): a column by its
// name (any case) or its number from 1; empty keeps the guess. Returns "" or why it cannot be
// applied ("no column is named \"alt\"").
struct CsvChoice {
    std::string timeColumn;
    std::string altitudeColumn;
    const AltitudeUnit* unit = nullptr; // nullptr keeps the guess
    bool empty() const { return timeColumn.empty() && altitudeColumn.empty() && !unit; }
};
std::string applyChoice(const CsvLayout& layout, const CsvChoice& choice, CsvMapping& mapping);
// Whether a mapping names two columns that can be read.
bool readable(const CsvLayout& layout, const CsvMapping& mapping);

// Reads the rows of a foreign file from in (at the file's start) by mapping into one new data
// set (the caller names it); true when one was added. Otherwise report.refused says why and
// report.noData is set. The notes say which columns were taken, in which units, and every row
// left out.
bool readCsv(LineReader& in, const CsvLayout& layout, const CsvMapping& mapping, SeriesList& list,
             LoadReport& report);

// The words the notes and the dialog use for a mapping's time: "seconds", "milliseconds",
// "date and time".
std::string timeUnitWords(const CsvMapping& mapping);

// Parses a date, a time of day or both ("2024-03-23T13:41:38.830", "2024-3-23--13-41-38-830",
// "13:41:38.830") into seconds (from 1970 for a date, from midnight without one).
bool parseDateTime(std::string_view field, double& seconds);

} // namespace orvo

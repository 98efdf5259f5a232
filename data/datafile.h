// The data files: the data set file (one data set block), the plot file ("Orvo Plot", the plot's
// texts and limits, then every data set) and the plain file of sample lines, which is read only.
// The Save and Load buttons of the Recorded Data page and the command line tools use these.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/series.h"
#include "platform/platform.h"

namespace orvo {

// The plot values a file carries. Callers copy them to and from their plot record.
struct PlotFileHeader {
    std::string title;
    std::string xLabel;
    std::string yLabel;
    std::string info1, info2, info3;
    double timeMin = 0.0;
    double altitudeMin = 0.0;
    double timeMax = 20.0;
    double altitudeMax = 20.0;
};

enum class FileStatus {
    Ok,
    OpenFailed,  // the file (or, for a save, its folder) could not be opened, or it is not a regular file
    WriteFailed, // a save could not write or flush every byte; any earlier file is untouched
    NoData,      // a load found not one data line in the file and added nothing
    NotFinite,   // a save met a number that would be written as "inf" or "nan" and wrote nothing
    NoMemory,    // a load ran out of memory (or past LoadOptions::maxSampleBytes) and added nothing
};

// The most data sets one load adds, over all the files it reads (a drop of several files, the
// files of one command line); a plot file with more is cut there and says so.
constexpr int MaxDataSetsPerLoad = 1000;

// What a load met besides the data sets it added.
struct LoadReport {
    bool plotFile = false;
    int setsAdded = 0;
    int unreadableLines = 0;      // sample lines whose time or altitude did not parse; loaded as 0
    int droppedLines = 0;         // sample lines past the MaxSamples-th of a block; not loaded
    bool setLimitReached = false; // sets were left out; setsAdded says how many were taken
    bool noData = false;          // no line was a sample line or a data file header: nothing was added
    bool noMemory = false;        // memory ran out: nothing was added
    std::string openError;        // why the file could not be opened ("it is a FIFO, not a regular file")
    // Another program's CSV file: read by its column names (foreign), or refused whole (refused
    // says what was found and what is needed; noData is set too). notes say what the load did:
    // the columns it took, a conversion into the plot's altitude unit.
    bool foreign = false;
    std::string refused;
    std::vector<std::string> notes;
    // Another program's file that does not name its altitude unit: the unit its altitudes were
    // taken to be in (the plot's), or nullptr when the plot names none either.
    bool unitAssumed = false;
    const AltitudeUnit* assumedUnit = nullptr;
    // The flyer cancelled the import dialog: nothing was added.
    bool cancelled = false;
};

struct CsvLayout;
struct CsvMapping;
struct CsvChoice;

struct LoadOptions {
    // Data sets this file may add: what is left of the load's MaxDataSetsPerLoad (see LoadBudget);
    // 0 adds none (setLimitReached), a negative number sets no limit.
    int maxDataSets = MaxDataSetsPerLoad;
    // Bytes of sample storage this file may take; past it the load fails as when memory runs out.
    // 0: only the memory the system gives.
    std::size_t maxSampleBytes = 0;
    // Bytes read from the file at a time: the file itself is never held whole in memory.
    std::size_t readChunkBytes = std::size_t{1} << 20;
    // Another program's file: the columns and unit the flyer chose (orvo-cli's options), applied
    // over the guess; a choice that names no column of the file refuses the file.
    const CsvChoice* choice = nullptr;
    // Another program's file: given its layout and the mapping so far (the guess, or the choice),
    // may change the mapping (the window asks its import dialog when the layout is doubtful, or
    // for "Import"); false cancels the load.
    std::function<bool(const CsvLayout&, CsvMapping&)> chooseMapping;
};

// The data sets left to one load of several files: each file's LoadOptions takes what the files
// before it left.
struct LoadBudget {
    int setsLeft = MaxDataSetsPerLoad;
    LoadOptions next() const {
        LoadOptions o;
        o.maxDataSets = setsLeft;
        return o;
    }
    void spent(const LoadReport& report) { setsLeft -= report.setsAdded; }
};

// What the window and orvo-cli say when a load fails: the message and its details (why the file
// could not be opened, what a refused file holds); empty text when it did not fail.
struct LoadMessage {
    std::string text;
    std::string details;
};
LoadMessage describeLoadFailure(const std::string& path, FileStatus status, const LoadReport& report);

// One sentence per thing a load did not take as written (unreadable numbers, cut blocks, data
// sets past the limit); empty when the file loaded whole. The window and orvo-cli show these.
std::vector<std::string> describeLoadProblems(const LoadReport& report);

// Lines of a text held in memory or read from a file a chunk at a time. A line ends at a line
// feed or a carriage return; a carriage return before a line feed ends it with the line feed.
// A line read stays valid until the next readLine.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    // Reads the open file (which stays the caller's) from its start, chunkBytes at a time; only the
    // chunk around the current line is in memory.
    LineReader(platform::File& file, std::size_t chunkBytes)
        : m_file(&file), m_chunk(chunkBytes > 0 ? chunkBytes : 1) {}
    // A copy would read lines out of the other reader's buffer.
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    bool atEnd();
    std::size_t tell() const { return m_pos; }
    // Back to a position tell() gave before the last readLine (or at any later one).
    void seek(std::size_t pos) { m_pos = pos < m_base ? m_base : pos; }
    // False at the end of the text. Each byte is looked at once, however long the line.
    bool readLine(std::string_view& line);
    // Why the file could not be read to its end, else "".
    const std::string& readError() const { return m_readError; }
    // Lines longer than bytes (0: no limit) are given cut to their first bytes; the rest of such
    // a line is read past without being kept, so no line holds more memory than that. A cut line
    // cannot be gone back to with seek.
    void setLineLimit(std::size_t bytes) { m_limit = bytes; }
    // How many lines were cut so far.
    std::size_t cutLines() const { return m_cutLines; }

  private:
    bool more();             // reads the next chunk, dropping what lies before the current line
    std::string_view m_text; // the text from stream position m_base on
    std::size_t m_base = 0;
    std::size_t m_pos = 0;
    platform::File* m_file = nullptr;
    std::int64_t m_offset = 0; // where the next chunk is read from
    std::size_t m_chunk = 0;
    std::string m_buffer;
    bool m_end = false;
    std::string m_readError;
    std::size_t m_limit = 0;
    std::size_t m_cutLines = 0;
    std::string m_cut; // the kept start of a cut line
};

// Appends data set n's block to file: name, the plot's axis labels, the notes, the limits line
// with the trigger column flag, the sample lines and one "#C" line per climb mark.
void WriteSetBlock(const SeriesList& list, int n, const PlotFileHeader& plot, std::string& file);
// The whole plot file of every data set in list order.
void WritePlotFile(const SeriesList& list, const PlotFileHeader& plot, std::string& file);

// Adds one data set (the new active one) from the block at the reader's position and returns it.
// Stops after the block, leaving the reader at the start of the "!" line that ended it or at the
// end of the text.
Series& ReadSetBlock(SeriesList& list, LineReader& in, LoadReport& report);

// Loads a data set file, a plot file or a plain sample file as the Load button does: adds data
// sets after the existing ones; a plot file also sets header's texts and the limits that parse.
// A leading UTF-8 byte-order mark is skipped and a lone carriage return also ends a line. A text
// without a single data line (a sample line whose time and altitude read, or a limits line) adds
// nothing and sets report.noData. loadDataFile reads only a regular file.
LoadReport loadDataText(std::string_view text, SeriesList& list, PlotFileHeader& header,
                        const LoadOptions& options = {});
// The same on lines from any reader. When memory runs out (std::bad_alloc, or the sample storage
// would pass options.maxSampleBytes) the data sets this load added are removed again, header is
// left as it was, and report.noMemory is set; nothing is thrown.
LoadReport loadDataLines(LineReader& in, SeriesList& list, PlotFileHeader& header,
                         const LoadOptions& options = {});
FileStatus loadDataFile(const std::string& path, SeriesList& list, PlotFileHeader& header, LoadReport& report,
                        const LoadOptions& options = {});

// Saves as the Save button does, replacing path only once every byte is on disk. A time,
// altitude or view limit that is not finite would be written as "inf" or "nan", which no load
// reads back: such a save writes nothing and returns NotFinite (nonFiniteValue says where).
FileStatus saveDataSetFile(const std::string& path, const SeriesList& list, int n,
                           const PlotFileHeader& plot);
FileStatus savePlotFile(const std::string& path, const SeriesList& list, const PlotFileHeader& plot);

// Where the first number that is not finite lies ("sample 12 of Data001 has a time that is not a
// finite number"), in data set n or, for n < 0, in every data set; "" when all are finite.
std::string nonFiniteValue(const SeriesList& list, int n, const PlotFileHeader& plot);

// Writes contents to a temporary file in path's folder and puts it in place of path only when
// every write, the flush to disk and the close succeeded. On failure path is left as it was and
// the temporary file is removed. A path that names something other than a regular file (a device,
// a FIFO, a socket, or a symbolic link to one) is refused with OpenFailed and left alone.
FileStatus writeFileSafely(const std::string& path, std::string_view contents);
// The same for contents made a piece at a time: next appends the next piece to its (empty)
// argument and returns false when there is none.
FileStatus writeFileSafely(const std::string& path, const std::function<bool(std::string&)>& next);

} // namespace orvo

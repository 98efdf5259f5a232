#include "data/datafile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "data/csvcolumns.h"
#include "data/csvimport.h"
#include "data/inputfile.h"
#include "data/linescan.h"
#include "platform/platform.h"

namespace orvo {

namespace {

// ---- writing -------------------------------------------------------------------------------
// Every number is formatted without the C library's printf so that the locale's decimal
// separator can never reach a file; the results are those of printf in the "C" locale.

void appendInt(std::string& out, long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// "%9.4lf"
void appendFixed4(std::string& out, double v) {
    char buf[400];
    char* end = nullptr;
    const double a = std::fabs(v);
    bool done = false;
    if (a < 1e11) {
        // Scaling by 10^4 is off by at most half an ulp; when the scaled value is not that close
        // to a rounding tie, its nearest integer is the correctly rounded four-decimal value.
        const double scaled = a * 10000.0;
        const double below = std::floor(scaled);
        if (std::fabs(scaled - below - 0.5) > scaled * 4e-16 + 1e-300) {
            const auto r = static_cast<std::uint64_t>(scaled - below > 0.5 ? below + 1.0 : below);
            char* p = buf;
            if (std::signbit(v)) *p++ = '-';
            p = std::to_chars(p, buf + sizeof buf, r / 10000).ptr;
            *p++ = '.';
            const auto frac = static_cast<unsigned>(r % 10000);
            p[0] = static_cast<char>('0' + frac / 1000);
            p[1] = static_cast<char>('0' + frac / 100 % 10);
            p[2] = static_cast<char>('0' + frac / 10 % 10);
            p[3] = static_cast<char>('0' + frac % 10);
            end = p + 4;
            done = true;
        }
    }
    if (!done) end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4).ptr;
    const auto length = static_cast<std::size_t>(end - buf);
    if (length < 9) out.append(9 - length, ' ');
    out.append(buf, length);
}

// "%g"
void appendG(std::string& out, double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    out.append(buf, r.ptr);
}

// A text as one header line can hold it: what a C string keeps (up to a NUL), without line
// breaks, which would split the line and shift every line after it.
std::string lineText(std::string_view s) {
    if (const auto nul = s.find('\0'); nul != std::string_view::npos) s = s.substr(0, nul);
    std::string t(s.substr(0, std::min<std::size_t>(s.size(), MaxTextLength)));
    std::replace(t.begin(), t.end(), '\r', ' ');
    std::replace(t.begin(), t.end(), '\n', ' ');
    return t;
}

void appendHeaderLine(std::string& out, char marker, std::string_view text) {
    out += marker;
    out += lineText(text);
    out += "\r\n";
}

// ---- reading -------------------------------------------------------------------------------

// The text after a header line's marker character, as the program keeps it.
std::string headerText(std::string_view line) {
    return line.empty() ? std::string() : lineText(line.substr(1));
}

bool validColourOrStyle(int v, int maxStyle) {
    return v >= 0 && v <= maxStyle;
}

} // namespace

bool LineReader::more() {
    if (!m_file || m_end) return false;
    // Nothing before the current line is looked at again (seek goes back one line at most). The
    // buffer keeps its size from chunk to chunk, so it is filled with zeros only when it grows.
    const std::size_t drop = std::min(m_pos - m_base, m_text.size());
    const std::size_t had = m_text.size() - drop;
    if (drop > 0 && had > 0) std::memmove(m_buffer.data(), m_buffer.data() + drop, had);
    m_base = m_pos;
    if (m_buffer.size() < had + m_chunk) m_buffer.resize(had + m_chunk);
    const std::ptrdiff_t got = m_file->readAt(m_buffer.data() + had, m_chunk, m_offset);
    if (got <= 0) {
        if (got < 0) m_readError = m_file->error();
        m_end = true;
        m_text = std::string_view(m_buffer.data(), had);
        return false;
    }
    m_offset += got;
    m_text = std::string_view(m_buffer.data(), had + static_cast<std::size_t>(got));
    return true;
}

bool LineReader::atEnd() {
    while (m_pos - m_base >= m_text.size())
        if (!more()) return true;
    return false;
}

bool LineReader::readLine(std::string_view& line) {
    bool lastChunk = false;
    std::size_t scanned = 0; // bytes of this line known to hold no line end
    bool cut = false;        // the line passed the limit: its start is in m_cut
    for (;;) {
        const std::size_t at = m_pos - m_base;
        if (at >= m_text.size()) {
            if (more()) continue;
            if (!cut) return false;
            ++m_cutLines;
            line = m_cut;
            return true;
        }
        const char* begin = m_text.data() + at;
        const std::size_t rest = m_text.size() - at;
        const char* from = begin + scanned;
        const void* lf = std::memchr(from, '\n', rest - scanned);
        const std::size_t lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : rest;
        const void* cr = std::memchr(from, '\r', lfAt - scanned);
        const std::size_t crAt = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : rest;
        const std::size_t length = std::min(lfAt, crAt);
        // The line goes on in the next chunk, or a carriage return at the chunk's end may have its
        // line feed there.
        if (!lastChunk && (length == rest || (!lf && crAt == rest - 1))) {
            scanned = std::min(length, rest);
            if (m_limit > 0 && scanned > m_limit) {
                // Keep the line's start and read past the rest of it.
                if (!cut) m_cut.assign(begin, m_limit);
                cut = true;
                m_pos += scanned;
                scanned = 0;
            }
            lastChunk = !more();
            continue;
        }
        // A carriage return ends the line too: before a line feed (CR LF) or alone, as files from
        // old Macintosh programs have it.
        std::size_t next = length;
        if (length < rest) next += length == crAt && length + 1 < rest && begin[length + 1] == '\n' ? 2 : 1;
        m_pos += next;
        if (!cut && m_limit > 0 && length > m_limit) {
            m_cut.assign(begin, m_limit);
            cut = true;
        }
        if (cut) {
            ++m_cutLines;
            line = m_cut;
        } else {
            line = std::string_view(begin, length);
        }
        return true;
    }
}

static void skipByteOrderMark(LineReader& in) {
    const std::size_t start = in.tell();
    std::string_view line;
    if (!in.readLine(line)) return;
    in.seek(start);
    if (withoutByteOrderMark(line).size() != line.size()) in.seek(start + 3);
}

// "#tmin,amin,tmax,amax": the view limits line of both file kinds.
static void appendLimits(std::string& file, const PlotFileHeader& plot) {
    file += '#';
    appendG(file, plot.timeMin);
    file += ',';
    appendG(file, plot.altitudeMin);
    file += ',';
    appendG(file, plot.timeMax);
    file += ',';
    appendG(file, plot.altitudeMax);
}

void WriteSetBlock(const SeriesList& list, int n, const PlotFileHeader& plot, std::string& file) {
    if (!list.validSet(n)) return;
    const Series& s = list.dataSet(n);
    const Series& trig = list.triggerSet(n);
    const bool triggerColumn = trig.DisplayFlag != 0;

    appendHeaderLine(file, '#', s.name);
    appendHeaderLine(file, '#', plot.xLabel);
    appendHeaderLine(file, '#', plot.yLabel);
    appendHeaderLine(file, '#', s.note1);
    appendHeaderLine(file, '#', s.note2);
    appendHeaderLine(file, '#', s.note3);
    appendLimits(file, plot);
    file += ',';
    file += triggerColumn ? '1' : '0';
    file += "\r\n";

    const SampleBuffer& b = s.samples;
    const SampleBuffer& t = trig.samples;
    const int count = std::clamp(b.count, 0, MaxSamples);
    const int triggers = std::clamp(t.count, 0, MaxSamples);
    int c = 0; // the next trigger sample not yet given to a sample line
    for (int j = 0; j < count; ++j) {
        const auto i = static_cast<std::size_t>(j);
        appendFixed4(file, b.time[i]);
        file += ", ";
        appendFixed4(file, b.altitude[i]);
        file += ", ";
        if (triggerColumn) {
            const bool hit = c < triggers && b.time[i] >= t.time[static_cast<std::size_t>(c)];
            if (hit) ++c;
            file += hit ? '1' : '0';
            file += ", ";
        }
        appendInt(file, b.peakMark.empty() ? 0 : b.peakMark[i]);
        file += "\r\n";
    }
    for (const ClimbMark& m : s.climbMarks) {
        if (m.inUse == 0) continue;
        file += "#C ";
        appendInt(file, m.start);
        file += ", ";
        appendInt(file, m.end);
        file += "\r\n";
    }
}

// The plot file's first lines: "Orvo Plot", the six texts and the limits.
static void writePlotHeader(const PlotFileHeader& plot, std::string& file) {
    file += "Orvo Plot\r\n";
    for (const std::string* text :
         {&plot.title, &plot.xLabel, &plot.yLabel, &plot.info1, &plot.info2, &plot.info3})
        appendHeaderLine(file, '#', *text);
    appendLimits(file, plot);
    file += "\r\n";
}

// Data set n's "!" line and block in a plot file.
static void writePlotSet(const SeriesList& list, int n, const PlotFileHeader& plot, std::string& file) {
    const Series& s = list.dataSet(n);
    const Series& trig = list.triggerSet(n);
    const long long fields[6] = {static_cast<int>(s.lineColour),     s.lineStyle,
                                 static_cast<int>(s.pointColour),    s.pointStyle,
                                 static_cast<int>(trig.pointColour), trig.pointStyle};
    file += "! ";
    for (int f = 0; f < 6; ++f) {
        if (f > 0) file += ", ";
        appendInt(file, fields[f]);
    }
    file += "\r\n";
    WriteSetBlock(list, n, plot, file);
}

void WritePlotFile(const SeriesList& list, const PlotFileHeader& plot, std::string& file) {
    writePlotHeader(plot, file);
    for (int n = 0; 2 * n < list.size(); ++n)
        writePlotSet(list, n, plot, file);
}

Series& ReadSetBlock(SeriesList& list, LineReader& in, LoadReport& report) {
    Series& s = list.CreateDataSet();
    const int n = list.dataSetCount() - 1;
    for (ClimbMark& m : s.climbMarks)
        m = ClimbMark{};
    Series& trig = list.triggerSet(n);

    std::string_view line;
    int triggerColumn = 0;
    std::size_t pos = in.tell();
    if (in.readLine(line) && !line.empty() && line[0] == '#') {
        list.RenameDataSet(n, headerText(line));
        // The two axis label lines belong to the plot; the altitude label also names the set's
        // unit.
        bool more = in.readLine(line) && in.readLine(line);
        if (more) s.altitudeUnit = altitudeUnitOfLabel(headerText(line));
        std::string* notes[3] = {&s.note1, &s.note2, &s.note3};
        for (std::string* note : notes)
            if (more && (more = in.readLine(line))) *note = headerText(line);
        if (more && in.readLine(line)) {
            double limits[4] = {};
            int flag = 0;
            const std::string_view text = line.empty() ? line : line.substr(1);
            if (scanLine(text, "%lf,%lf,%lf,%lf, %d",
                         {&limits[0], &limits[1], &limits[2], &limits[3], &flag}) >= 5)
                triggerColumn = flag;
        }
    } else {
        in.seek(pos);
    }

    SampleBuffer& b = s.samples;
    SampleBuffer& t = trig.samples;
    const int fields = triggerColumn != 0 ? 4 : 3;
    int i = 0;
    int k = 0;
    for (;;) {
        pos = in.tell();
        if (!in.readLine(line)) break;
        if (!line.empty() && line[0] == '!') {
            in.seek(pos);
            break;
        }
        if (!line.empty() && line[0] == '#') {
            if (line.size() >= 2 && line[1] == 'C') {
                int start = 0, end = 0;
                // A mark must name a sample position; anything else could send a reader of
                // the marks outside the sample arrays.
                if (scanLine(line.substr(2), "%d, %d", {&start, &end}) == 2 && start >= 0 && end >= 0 &&
                    start < MaxSamples && end < MaxSamples)
                    list.AddClimbMark(n, start, end);
            }
            continue;
        }
        if (i >= MaxSamples) {
            // The block goes on past what a data set holds: its remaining sample lines are
            // skipped, so its climb marks and the data sets after it still load.
            ++report.droppedLines;
            continue;
        }
        double time = 0.0, altitude = 0.0;
        int trigger = 0, peak = 0;
        const int got = fields == 4 ? scanLine(line, "%lf, %lf, %d, %d", {&time, &altitude, &trigger, &peak})
                                    : scanLine(line, "%lf, %lf, %d", {&time, &altitude, &peak});
        // Numbers that do not parse, and the infinities and NaNs that strtod accepts, become 0:
        // the line keeps its index (climb marks count on it) with defined values.
        const bool timeOk = got >= 1 && std::isfinite(time);
        const bool altitudeOk = got >= 2 && std::isfinite(altitude);
        if (!timeOk) time = 0.0;
        if (!altitudeOk) altitude = 0.0;
        if (!timeOk || !altitudeOk) ++report.unreadableLines;
        if (got < fields) peak = trigger = 0;
        const auto at = static_cast<std::size_t>(i);
        b.time[at] = time;
        b.altitude[at] = altitude;
        b.peakMark[at] = static_cast<std::uint8_t>(peak);
        if (fields == 4 && trigger != 0) {
            t.time[static_cast<std::size_t>(k)] = time;
            t.altitude[static_cast<std::size_t>(k)] = altitude;
            ++k;
        }
        ++i;
    }
    b.count = i;
    t.count = k;
    trig.DisplayFlag = triggerColumn != 0 ? 1 : 0;
    // The columns grew by doubling; a set keeps only what it holds.
    for (SampleBuffer* buffer : {&b, &t}) {
        buffer->time.shrinkToFit();
        buffer->altitude.shrinkToFit();
        buffer->peakMark.shrinkToFit();
    }
    return s;
}

namespace {

// A line the loader takes as data: a sample line whose time and altitude read as finite numbers,
// or the limits line of a header ("#tmin,amin,tmax,amax..."). A file without one is not a data file.
bool isDataLine(std::string_view line) {
    double v[4] = {};
    if (!line.empty() && line[0] == '#')
        return scanLine(line.substr(1), "%lf,%lf,%lf,%lf", {&v[0], &v[1], &v[2], &v[3]}) == 4;
    if (!line.empty() && line[0] == '!') return false;
    return scanLine(line, "%lf, %lf", {&v[0], &v[1]}) == 2 && std::isfinite(v[0]) && std::isfinite(v[1]);
}

bool hasDataLine(LineReader& in) {
    std::string_view line;
    while (in.readLine(line))
        if (isDataLine(line)) return true;
    return false;
}

std::size_t sampleBytes(const Series& s) {
    const SampleBuffer& b = s.samples;
    return b.time.capacity() * sizeof(double) + b.altitude.capacity() * sizeof(double) +
           b.peakMark.capacity();
}

// The load's body; may throw std::bad_alloc, which loadDataLines turns into report.noMemory.
void readDataLines(LineReader& in, SeriesList& list, PlotFileHeader& header, const LoadOptions& options,
                   int firstNew, LoadReport& report) {
    const std::size_t start = in.tell();
    std::size_t bytes = 0;
    // Sample storage past the load's own bound fails the load as memory running out would.
    auto account = [&](int n) {
        bytes += sampleBytes(list.dataSet(n)) + sampleBytes(list.triggerSet(n));
        if (options.maxSampleBytes > 0 && bytes > options.maxSampleBytes) throw std::bad_alloc();
    };
    std::string_view line;
    // Only the first character tells a plot file from a data set file.
    if (in.readLine(line) && startsPlotFile(line)) {
        report.plotFile = true;
        std::string* texts[6] = {&header.title, &header.xLabel, &header.yLabel,
                                 &header.info1, &header.info2,  &header.info3};
        bool more = true;
        for (std::string* t : texts)
            if (more && (more = in.readLine(line))) *t = headerText(line);
        if (more && in.readLine(line)) {
            double v[4] = {header.timeMin, header.altitudeMin, header.timeMax, header.altitudeMax};
            const int got = scanLine(line.empty() ? line : line.substr(1), "%lf,%lf,%lf,%lf",
                                     {&v[0], &v[1], &v[2], &v[3]});
            double* limits[4] = {&header.timeMin, &header.altitudeMin, &header.timeMax, &header.altitudeMax};
            for (int i = 0; i < got && i < 4; ++i)
                if (std::isfinite(v[i])) *limits[i] = v[i];
        }
        for (;;) {
            if (!in.readLine(line) || line.empty() || line[0] != '!') break;
            if (options.maxDataSets >= 0 && list.dataSetCount() - firstNew >= options.maxDataSets) {
                report.setLimitReached = true;
                break;
            }
            int f[6] = {-1, -1, -1, -1, -1, -1};
            const int got = scanLine(line.substr(1), "%d, %d, %d, %d, %d, %d",
                                     {&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]});
            Series& s = ReadSetBlock(list, in, report);
            Series& trig = list.triggerSet(list.dataSetCount() - 1);
            // Colours keep their 0x00BBGGRR bits; a style outside the known ones keeps the default.
            if (got >= 1) s.lineColour = static_cast<Colour>(f[0]) & 0x00FFFFFFu;
            if (got >= 2 && validColourOrStyle(f[1], LineDashDotDot)) s.lineStyle = f[1];
            if (got >= 3) s.pointColour = static_cast<Colour>(f[2]) & 0x00FFFFFFu;
            if (got >= 4 && validColourOrStyle(f[3], PointTriangle)) s.pointStyle = f[3];
            if (got >= 5) trig.pointColour = static_cast<Colour>(f[4]) & 0x00FFFFFFu;
            if (got >= 6 && validColourOrStyle(f[5], PointTriangle)) trig.pointStyle = f[5];
            account(list.dataSetCount() - 1);
        }
    } else if (options.maxDataSets == 0) {
        report.setLimitReached = true; // the load's other files took every set it may add
    } else {
        in.seek(start);
        ReadSetBlock(list, in, report);
        account(list.dataSetCount() - 1);
    }
}

} // namespace

LoadReport loadDataLines(LineReader& in, SeriesList& list, PlotFileHeader& header,
                         const LoadOptions& options) {
    LoadReport report;
    const int firstNew = list.dataSetCount();
    const PlotFileHeader before = header;
    try {
        readDataLines(in, list, header, options, firstNew, report);
    } catch (const std::bad_alloc&) {
        // Half a load would look like a whole one; what was added goes, and its memory with it.
        while (list.dataSetCount() > firstNew)
            list.DeleteDataSet(list.dataSetCount() - 1);
        header = before;
        report = LoadReport();
        report.noMemory = true;
        return report;
    }
    report.setsAdded = list.dataSetCount() - firstNew;
    convertToPlotUnit(list, firstNew, header, report);
    return report;
}

namespace {

// Removes what a load added since firstNew.
void removeFrom(SeriesList& list, int firstNew) {
    while (list.dataSetCount() > firstNew)
        list.DeleteDataSet(list.dataSetCount() - 1);
}

// Another program's file, recognised as layout: the mapping (the guess, the flyer's choice, the
// dialog's answer), then its rows from a new reader at the file's start.
template <typename Reader>
FileStatus loadForeign(const CsvLayout& layout, Reader&& reader, SeriesList& list, PlotFileHeader& header,
                       const LoadOptions& options, LoadReport& report) {
    CsvMapping mapping = layout.guess;
    if (options.choice) {
        if (std::string why = applyChoice(layout, *options.choice, mapping); !why.empty()) {
            report.noData = true;
            report.refused = "The columns asked for cannot be read: " + why + ". Nothing was loaded.";
            return FileStatus::NoData;
        }
    }
    if (options.chooseMapping && !options.chooseMapping(layout, mapping)) {
        report.cancelled = true;
        return FileStatus::Ok;
    }
    const int firstNew = list.dataSetCount();
    try {
        const auto in = reader();
        if (!readCsv(*in, layout, mapping, list, report)) return FileStatus::NoData;
        if (!in->readError().empty()) {
            removeFrom(list, firstNew);
            report = LoadReport();
            report.openError = in->readError();
            return FileStatus::OpenFailed;
        }
        // The load's other files took every set it may add.
        if (options.maxDataSets == 0) {
            removeFrom(list, firstNew);
            report.setLimitReached = true;
        }
        if (options.maxSampleBytes > 0 && list.validSet(firstNew) &&
            sampleBytes(list.dataSet(firstNew)) > options.maxSampleBytes)
            throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        removeFrom(list, firstNew);
        report = LoadReport();
        report.noMemory = true;
        return FileStatus::NoMemory;
    }
    report.setsAdded = list.dataSetCount() - firstNew;
    if (report.setsAdded > 0) convertToPlotUnit(list, firstNew, header, report);
    return FileStatus::Ok;
}

} // namespace

LoadReport loadDataText(std::string_view text, SeriesList& list, PlotFileHeader& header,
                        const LoadOptions& options) {
    text = withoutByteOrderMark(text);
    const CsvLayout layout = recogniseCsv(text);
    LoadReport report;
    if (layout.kind == FileKind::Utf16) {
        report.noData = true;
        report.refused = layout.refusal + " Nothing was loaded.";
        return report;
    }
    // Other programs' CSV files are read by their column names, or refused whole.
    if (layout.kind == FileKind::Foreign) {
        loadForeign(
            layout, [&] { return std::make_unique<LineReader>(text); }, list, header, options, report);
        return report;
    }
    // Anything else (a password file, a picture, an empty file) would turn into a data set of
    // zeros, or change the plot's texts, without a word.
    LineReader scan(text);
    if (!hasDataLine(scan)) {
        report.noData = true;
        return report;
    }
    LineReader in(text);
    return loadDataLines(in, list, header, options);
}

FileStatus loadDataFile(const std::string& path, SeriesList& list, PlotFileHeader& header, LoadReport& report,
                        const LoadOptions& options) {
    report = LoadReport();
    platform::File file = openRegularFile(path, &report.openError);
    if (!file.isOpen()) return FileStatus::OpenFailed;
    // A reader from the file's start; another program's file is read with its lines bounded.
    auto reader = [&](bool bounded) {
        auto in = std::make_unique<LineReader>(file, options.readChunkBytes);
        if (bounded) in->setLineLimit(MaxForeignLineBytes);
        skipByteOrderMark(*in);
        return in;
    };
    // What kind of file it is is told by its start alone; every kind is read as a stream.
    CsvLayout layout;
    {
        const auto in = reader(true);
        layout = recogniseCsv(*in);
        if (!in->readError().empty()) {
            report.openError = in->readError();
            return FileStatus::OpenFailed;
        }
    }
    if (layout.kind == FileKind::Utf16) {
        report.noData = true;
        report.refused = layout.refusal + " Nothing was loaded.";
        return FileStatus::NoData;
    }
    if (layout.kind == FileKind::Foreign) {
        const int firstNew = list.dataSetCount();
        const FileStatus status = loadForeign(
            layout, [&] { return reader(true); }, list, header, options, report);
        // Another program's set is named after its file.
        if (status == FileStatus::Ok && report.foreign && list.validSet(firstNew)) {
            std::string name(platform::fileName(path));
            if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
                name.erase(dot);
            const std::string old = list.dataSet(firstNew).name;
            list.RenameDataSet(firstNew, name);
            for (std::string& note : report.notes)
                if (const std::size_t at = note.find(old); at != std::string::npos)
                    note.replace(at, old.size(), list.dataSet(firstNew).name);
        }
        return status;
    }
    // Two passes (is it a data file at all; then the load), neither holding the file whole.
    auto pass = [&](auto&& body) {
        const auto in = reader(false);
        body(*in);
        return in->readError();
    };
    bool hasData = false;
    std::string error = pass([&](LineReader& in) { hasData = hasDataLine(in); });
    if (error.empty() && !hasData) {
        report.noData = true;
        return FileStatus::NoData;
    }
    const PlotFileHeader before = header;
    if (error.empty()) {
        const int firstNew = list.dataSetCount();
        error = pass([&](LineReader& in) { report = loadDataLines(in, list, header, options); });
        if (report.noMemory) return FileStatus::NoMemory;
        // A file that stops reading half way would load a part taken for the whole.
        if (!error.empty())
            while (list.dataSetCount() > firstNew)
                list.DeleteDataSet(list.dataSetCount() - 1);
    }
    if (error.empty()) return FileStatus::Ok;
    header = before;
    report = LoadReport();
    report.openError = error;
    return FileStatus::OpenFailed;
}

LoadMessage describeLoadFailure(const std::string& path, FileStatus status, const LoadReport& report) {
    LoadMessage m;
    if (status == FileStatus::OpenFailed) {
        m.text = "Unable to open " + path + "!";
        m.details = report.openError;
        if (!m.details.empty()) {
            if (m.details[0] >= 'a' && m.details[0] <= 'z')
                m.details[0] = static_cast<char>(m.details[0] - 'a' + 'A');
            m.details += '.';
        }
    } else if (status == FileStatus::NoMemory) {
        m.text = "Not enough memory to load " + path + ". Nothing of it was loaded.";
    } else if (status == FileStatus::NoData && !report.refused.empty()) {
        m.text = path + " was not loaded.";
        m.details = report.refused;
    } else if (status == FileStatus::NoData) {
        m.text = path + " holds no data: not one line is a sample line or a data file header. Nothing was "
                        "loaded.";
    }
    return m;
}

std::vector<std::string> describeLoadProblems(const LoadReport& r) {
    std::vector<std::string> out;
    if (r.unreadableLines > 0)
        out.push_back(std::to_string(r.unreadableLines) +
                      " sample line(s) had numbers that could not be read; they were loaded as 0.");
    if (r.droppedLines > 0)
        out.push_back(std::to_string(r.droppedLines) + " sample line(s) beyond the " +
                      std::to_string(MaxSamples) + " samples a data set holds were not loaded.");
    if (r.setLimitReached && r.setsAdded == 0)
        out.push_back("One load takes at most " + std::to_string(MaxDataSetsPerLoad) +
                      " data sets and the files before this one took them all; nothing of it was loaded.");
    else if (r.setLimitReached)
        out.push_back("The file holds more data sets than one load takes; only the first " +
                      std::to_string(r.setsAdded) + " were loaded.");
    return out;
}

namespace {

// "" or where the first number that is not finite lies in data set n.
std::string nonFiniteInSet(const SeriesList& list, int n) {
    const Series& s = list.dataSet(n);
    const int count = std::clamp(s.samples.count, 0, MaxSamples);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const char* what = !std::isfinite(s.samples.time[at])       ? "time"
                           : !std::isfinite(s.samples.altitude[at]) ? "altitude"
                                                                    : nullptr;
        if (what) {
            std::string where = "sample ";
            where += std::to_string(i);
            where += " of ";
            where += s.name;
            where += what[0] == 'a' ? " has an " : " has a ";
            where += what;
            where += " that is not a finite number";
            return where;
        }
    }
    return std::string();
}

} // namespace

std::string nonFiniteValue(const SeriesList& list, int n, const PlotFileHeader& plot) {
    for (double limit : {plot.timeMin, plot.altitudeMin, plot.timeMax, plot.altitudeMax})
        if (!std::isfinite(limit)) return "a view limit is not a finite number";
    if (n >= 0) return list.validSet(n) ? nonFiniteInSet(list, n) : std::string();
    for (int k = 0; k < list.dataSetCount(); ++k)
        if (std::string where = nonFiniteInSet(list, k); !where.empty()) return where;
    return std::string();
}

FileStatus saveDataSetFile(const std::string& path, const SeriesList& list, int n,
                           const PlotFileHeader& plot) {
    if (!nonFiniteValue(list, n, plot).empty()) return FileStatus::NotFinite;
    std::string text;
    if (list.validSet(n))
        text.reserve(static_cast<std::size_t>(std::max(0, list.dataSet(n).samples.count)) * 40 + 4096);
    WriteSetBlock(list, n, plot, text);
    return writeFileSafely(path, text);
}

FileStatus savePlotFile(const std::string& path, const SeriesList& list, const PlotFileHeader& plot) {
    if (!nonFiniteValue(list, -1, plot).empty()) return FileStatus::NotFinite;
    // Written a data set at a time: the text of the whole plot is never held in memory at once.
    int n = -1; // -1: the plot's own lines
    return writeFileSafely(path, [&](std::string& chunk) {
        if (n >= list.dataSetCount()) return false;
        if (n < 0)
            writePlotHeader(plot, chunk);
        else
            writePlotSet(list, n, plot, chunk);
        ++n;
        return true;
    });
}

} // namespace orvo

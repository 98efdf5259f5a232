#include "data/csvcolumns.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "data/inputfile.h"
#include "data/linescan.h"

namespace orvo {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '"'))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '"'))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string t(s);
    for (char& c : t)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return t;
}

// The separator of one line: tab, else semicolon, else comma, else blanks (' ').
char separatorOf(std::string_view line) {
    for (char c : {'\t', ';', ','})
        if (line.find(c) != std::string_view::npos) return c;
    return ' ';
}

std::vector<std::string_view> splitFields(std::string_view line, char sep) {
    std::vector<std::string_view> fields;
    if (sep == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && isBlank(line[i]))
                ++i;
            if (i >= line.size()) break;
            const std::size_t start = i;
            while (i < line.size() && !isBlank(line[i]))
                ++i;
            fields.push_back(line.substr(start, i - start));
        }
        return fields;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = line.find(sep, start);
        fields.push_back(
            trim(line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start)));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return fields;
}

// A number at the start of a field, as the C locale writes it; a decimal comma is taken when the
// file does not separate with commas. Trailing letters or a "'" (a unit: "33ft", "76.7F") are
// allowed; anything else after the number, or a number that is not finite, is not a number.
bool parseNumber(std::string_view field, char sep, double& value) {
    field = trim(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return false;
    std::string copy;
    if (sep != ',' && field.find(',') != std::string_view::npos) {
        copy.assign(field);
        for (char& c : copy)
            if (c == ',') c = '.';
        field = copy;
    }
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data(), end, value, std::chars_format::general);
    if (r.ec != std::errc{} || !std::isfinite(value)) return false;
    for (const char* p = r.ptr; p < end; ++p)
        if (!isLetter(*p) && *p != '\'' && !isBlank(*p)) return false;
    return true;
}

// A line of a header block: "Key: value", with a letter before the colon and no separator there.
bool isKeyValue(std::string_view line, std::string_view* key = nullptr, std::string_view* value = nullptr) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view k = line.substr(0, colon);
    bool letter = false;
    for (char c : k) {
        if (c == ',' || c == ';' || c == '\t') return false;
        letter = letter || isLetter(c);
    }
    if (!letter) return false;
    if (key) *key = trim(k);
    if (value) *value = trim(line.substr(colon + 1));
    return true;
}

std::string_view withoutCommentMarks(std::string_view line) {
    while (!line.empty() && (line.front() == '#' || isBlank(line.front())))
        line.remove_prefix(1);
    return trim(line);
}

// A row of data: not a comment, at least two fields, the first a number.
bool isDataRow(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() == '#' || isKeyValue(line)) return false;
    const char sep = separatorOf(line);
    const std::vector<std::string_view> fields = splitFields(line, sep);
    double v = 0.0;
    return fields.size() >= 2 && parseNumber(fields[0], sep, v);
}

// Whether the next line that is neither empty nor a comment, from pos on, is a row of the same
// separator and number of fields as row (or there is none): a lone line of numbers in a header
// block ("3 flights recorded") does not start the rows.
bool nextRowAlike(std::string_view text, std::size_t pos, std::string_view row) {
    LineReader in(text);
    in.seek(pos);
    std::string_view line;
    while (in.readLine(line)) {
        const std::string_view t = trim(line);
        if (t.empty() || t.front() == '#') continue;
        const char sep = separatorOf(trim(row));
        return isDataRow(t) && separatorOf(t) == sep &&
               splitFields(t, sep).size() == splitFields(trim(row), sep).size();
    }
    return true;
}

// Whether Orvo's reader of plain sample lines takes text as its own: some line is a sample line
// ("time, altitude[, peak mark]" with commas), and no such line has a third field that is not a
// peak mark ("0.05,33,76.7" is a temperature, not a mark).
bool ownSampleLines(std::string_view text) {
    LineReader in(text);
    std::string_view line;
    bool found = false;
    double v = 0.0;
    while (in.readLine(line)) {
        const std::string_view t = trim(line);
        if (t.empty() || t.front() == '#' || separatorOf(t) != ',') continue;
        const std::vector<std::string_view> fields = splitFields(t, ',');
        if (fields.size() < 2 || !parseNumber(fields[0], ',', v) || !parseNumber(fields[1], ',', v)) continue;
        if (fields.size() >= 3 && !fields[2].empty() && fields[2] != "0" && fields[2] != "1") return false;
        found = true;
    }
    return found;
}

// A column name split into its words (lower case) and the unit it carries, if any.
struct ColumnName {
    std::string base; // words joined by single blanks: "time", "vertical velocity"
    std::string unit; // "s", "ms", "ft", "m", "yd", "m/s", ... as written, lower case
};

ColumnName parseColumnName(std::string_view name) {
    std::string s = lower(trim(withoutCommentMarks(name)));
    ColumnName c;
    // "(m)", "[ft]" at the end.
    if (!s.empty() && (s.back() == ')' || s.back() == ']')) {
        const char open = s.back() == ')' ? '(' : '[';
        const std::size_t at = s.rfind(open);
        if (at != std::string::npos) {
            c.unit = std::string(trim(std::string_view(s).substr(at + 1, s.size() - at - 2)));
            s.erase(at);
        }
    }
    // A trailing "'" is feet.
    if (c.unit.empty() && !s.empty() && s.back() == '\'') {
        c.unit = "ft";
        s.pop_back();
    }
    // Words: split at blanks, underscores, hyphens and full stops.
    std::vector<std::string> words;
    std::string word;
    for (char ch : s) {
        if (ch == ' ' || ch == '_' || ch == '-' || ch == '.' || ch == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += ch;
        }
    }
    if (!word.empty()) words.push_back(word);
    // "time_s", "altitude_ft", "altitude feet": a last word that is a unit.
    static const char* const unitWords[] = {"s",      "sec",          "secs",  "seconds", "ms",   "msec",
                                            "millis", "milliseconds", "ft",    "feet",    "foot", "m",
                                            "meters", "metres",       "meter", "metre",   "yd",   "yards"};
    if (c.unit.empty() && words.size() >= 2) {
        for (const char* u : unitWords)
            if (words.back() == u) {
                c.unit = words.back();
                words.pop_back();
                break;
            }
    }
    for (const std::string& w : words) {
        if (!c.base.empty()) c.base += ' ';
        c.base += w;
    }
    return c;
}

bool hasWord(const std::string& base, std::string_view word) {
    std::size_t at = 0;
    while ((at = base.find(word, at)) != std::string::npos) {
        const bool startOk = at == 0 || base[at - 1] == ' ';
        const std::size_t end = at + word.size();
        if (startOk && (end == base.size() || base[end] == ' ')) return true;
        at = end;
    }
    return false;
}

// How well a column name names the altitude: 0 not at all, 1 some altitude (sea level, GPS), 2 the
// altitude, 3 the height above ground.
int altitudeScore(const std::string& base) {
    for (const char* not_ : {"velocity", "speed", "rate", "accel", "acceleration", "max", "min", "apogee"})
        if (hasWord(base, not_)) return 0;
    const bool named =
        hasWord(base, "altitude") || hasWord(base, "alt") || hasWord(base, "height") || hasWord(base, "agl");
    // A GPS altitude only when nothing else names one: the barometer's is the finer.
    if (hasWord(base, "gps")) return named ? 1 : 0;
    if (hasWord(base, "height") || hasWord(base, "agl") || base.find("above ground") != std::string::npos)
        return 3;
    if (base == "altitude" || base == "alt") return 2;
    if (named) return 1;
    return 0;
}

bool isTimeName(const std::string& base) {
    return base == "time" || base == "t" || base == "elapsed" || base == "elapsed time" ||
           base == "flight time" || base == "time since launch" || base == "seconds" || base == "sec" ||
           base == "ms" || base == "millis" || base == "milliseconds";
}

// "ft", "yd", "m" for a unit as a column name or a header block writes it; else "".
std::string altitudeUnitOf(const std::string& unit) {
    std::string u = lower(trim(unit));
    if (const std::size_t blank = u.find(' '); blank != std::string::npos) u.erase(blank); // "ft agl"
    if (u == "ft" || u == "feet" || u == "foot" || u == "'") return "ft";
    if (u == "m" || u == "meters" || u == "metres" || u == "meter" || u == "metre") return "m";
    if (u == "yd" || u == "yards" || u == "yard") return "yd";
    return std::string();
}

std::string quoted(std::string_view s) {
    std::string out(1, '"');
    out += trim(s);
    out += '"';
    return out;
}

std::string joinQuoted(const std::vector<std::string>& names, std::size_t most = 12) {
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < most; ++i) {
        if (i > 0) out += ", ";
        out += quoted(names[i]);
    }
    if (names.size() > most) out += ", ... (" + std::to_string(names.size()) + " columns)";
    return out;
}

const char* const NeededColumns =
    "Orvo needs a header that names a time column (\"time\", \"t\", \"time_s\", \"Time (s)\", \"time_ms\") "
    "and an altitude column (\"altitude\", \"alt\", \"height\", \"Altitude (m)\", \"altitude_ft\").";

// The unit a header block gives the altitude: a "Key: value" or comment line about the altitude,
// the height or the units whose value names one.
std::string unitOfHeaderBlock(const std::vector<std::string_view>& preamble) {
    for (std::string_view line : preamble) {
        std::string_view key, value;
        if (!isKeyValue(withoutCommentMarks(line), &key, &value)) continue;
        const std::string k = lower(key);
        if (k.find("unit") == std::string::npos && k.find("alt") == std::string::npos &&
            k.find("height") == std::string::npos && k.find("apogee") == std::string::npos)
            continue;
        if (std::string u = unitOfWords(value); !u.empty()) return u;
        if (k.find("unit") != std::string::npos) {
            const std::string v = lower(value);
            if (v.find("metric") != std::string::npos) return "m";
            if (v.find("imperial") != std::string::npos) return "ft";
        }
    }
    return std::string();
}

} // namespace

std::string unitOfWords(std::string_view text) {
    const std::string t = lower(text);
    std::string word;
    char before = ' ';
    auto judge = [](const std::string& w) { return altitudeUnitOf(w); };
    for (std::size_t i = 0; i <= t.size(); ++i) {
        const char c = i < t.size() ? t[i] : ' ';
        if (c == '\'' && !word.empty() && word.back() >= '0' && word.back() <= '9') return "ft";
        if (isLetter(c)) {
            if (word.empty() || isLetter(word.back()))
                word += c;
            else
                word = std::string(1, c); // "1234m": the unit after the number
            continue;
        }
        if (c >= '0' && c <= '9') {
            if (!word.empty() && isLetter(word.back())) word.clear();
            word += c;
            continue;
        }
        if (c == '.' && !word.empty() && !isLetter(word.back())) {
            word += c;
            continue;
        }
        // "m/s" is no altitude unit.
        if (c != '/' && before != '/' && !word.empty() && isLetter(word.back()))
            if (std::string u = judge(word); !u.empty()) return u;
        before = c;
        word.clear();
    }
    return std::string();
}

std::vector<std::string> splitHeader(std::string_view line) {
    line = withoutCommentMarks(line);
    std::string_view key, value;
    // "Data: (Time, Altitude, Velocity, Temperature (F), Voltage)", or without the parentheses.
    if (isKeyValue(line, &key, &value)) {
        line = value;
        if (value.size() >= 2 && value.front() == '(' && value.back() == ')')
            line = value.substr(1, value.size() - 2);
    }
    const char sep = separatorOf(line);
    std::vector<std::string> names;
    for (std::string_view f : splitFields(line, sep)) {
        if (sep == ' ' && !names.empty() && !f.empty() && (f.front() == '(' || f.front() == '[')) {
            names.back() += ' ';
            names.back() += f;
        } else
            names.emplace_back(trim(f));
    }
    return names;
}

CsvColumns chooseColumns(const std::vector<std::string>& names) {
    CsvColumns c;
    int bestScore = 0;
    std::vector<std::string> altitudeNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ColumnName n = parseColumnName(names[i]);
        if (c.timeColumn < 0 && isTimeName(n.base)) {
            c.timeColumn = static_cast<int>(i);
            const std::string& u = n.unit.empty() ? n.base : n.unit;
            if (u == "ms" || u == "msec" || u == "millis" || u == "milliseconds") c.timeFactor = 0.001;
            continue;
        }
        const int score = altitudeScore(n.base);
        if (score == 0) continue;
        altitudeNames.push_back(std::string(trim(names[i])));
        if (score > bestScore) {
            bestScore = score;
            c.altitudeColumn = static_cast<int>(i);
            c.altitudeUnit = altitudeUnitOf(n.unit);
        }
    }
    if (altitudeNames.size() > 1) {
        const std::string taken = quoted(names[static_cast<std::size_t>(c.altitudeColumn)]);
        c.choice = "Of the altitude columns " + joinQuoted(altitudeNames) + ", " + taken + " was taken" +
                   (bestScore == 3 ? " (height above ground)." : ".");
    }
    return c;
}

std::string unitWord(const std::string& unit) {
    if (unit == "ft") return "feet";
    if (unit == "yd") return "yards";
    if (unit == "m") return "meters";
    return unit;
}

const AltitudeUnit* altitudeUnitOfShortName(const std::string& unit) {
    return unit == "ft"   ? altitudeUnitOfCode(0)
           : unit == "yd" ? altitudeUnitOfCode(1)
           : unit == "m"  ? altitudeUnitOfCode(2)
                          : nullptr;
}

std::string unitWord(const AltitudeUnit* unit) {
    std::string word = unit ? unit->name : "";
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

bool loadForeignCsv(std::string_view text, SeriesList& list, LoadReport& report) {
    text = withoutByteOrderMark(text);
    LineReader in(text);
    std::string_view first;
    if (!in.readLine(first)) return false;
    // Orvo's plot file: only its first letter has ever told it.
    if (!first.empty() && first[0] == 'O') return false;
    // A data set file: seven '#' lines, the seventh the limits line.
    const bool commentFirst = !first.empty() && first[0] == '#';
    if (commentFirst) {
        LineReader head(text);
        std::string_view line;
        int n = 0;
        while (n < 7 && head.readLine(line) && !line.empty() && line[0] == '#')
            ++n;
        double v[4] = {};
        if (n == 7 && scanLine(line.substr(1), "%lf,%lf,%lf,%lf", {&v[0], &v[1], &v[2], &v[3]}) == 4)
            return false;
    }

    // The lines before the first data row, and that row.
    in.seek(0);
    std::vector<std::string_view> preamble;
    std::string_view line;
    std::size_t dataStart = std::string_view::npos;
    for (;;) {
        const std::size_t pos = in.tell();
        if (!in.readLine(line)) break;
        if (isDataRow(line) && nextRowAlike(text, in.tell(), line)) {
            dataStart = pos;
            break;
        }
        if (!trim(line).empty()) preamble.push_back(line);
    }
    if (dataStart == std::string_view::npos) return false; // no rows: the loader says "no data"
    in.seek(dataStart);
    in.readLine(line);
    const char sep = separatorOf(trim(line));
    const std::size_t rowFields = splitFields(trim(line), sep).size();

    // The header: the nearest line above the rows that names a time and an altitude column.
    std::vector<std::string> header;
    std::string_view headerLine; // the line that names both columns, without its comment marks
    CsvColumns columns;
    bool named = false;
    for (auto it = preamble.rbegin(); it != preamble.rend(); ++it) {
        std::string_view key, value;
        const std::string_view bare = withoutCommentMarks(*it);
        const bool keyValue = isKeyValue(bare, &key, &value);
        std::vector<std::string> names = splitHeader(*it);
        if (names.size() < 2) continue;
        const CsvColumns c = chooseColumns(names);
        // "Data: Time, Altitude, ..." names the columns; other "Key: value" lines never do.
        if (keyValue && (c.timeColumn < 0 || c.altitudeColumn < 0)) continue;
        if (c.timeColumn >= 0 && c.altitudeColumn >= 0) {
            headerLine = withoutCommentMarks(*it);
            header = std::move(names);
            columns = c;
            named = true;
            break;
        }
        // Failing a line that names both: the nearest that names one (said in the refusal), or in
        // a file without comment lines the nearest line of several words.
        if (!header.empty()) continue;
        double v = 0.0;
        int words = 0;
        for (const std::string& n : names)
            words += parseNumber(n, ',', v) ? 0 : 1;
        if (c.timeColumn >= 0 || c.altitudeColumn >= 0 ||
            (!commentFirst && 2 * words > static_cast<int>(names.size())))
            header = std::move(names);
    }

    bool unnamed = false; // rows without a header: time and altitude in the first two columns
    const bool namesSome = !header.empty() && [&] {
        const CsvColumns c = chooseColumns(header);
        return c.timeColumn >= 0 || c.altitudeColumn >= 0;
    }();
    // A file that begins with comment lines and has up to three columns reads as it always did.
    if (!named && commentFirst && rowFields <= 3) return false;
    if (!named && !namesSome && rowFields <= 3) {
        // Orvo's own sample lines (perhaps among lines that name nothing) stay its own; rows that
        // are not separated by commas, or whose third column is no peak mark, are read as time and
        // altitude without marks.
        if (ownSampleLines(text)) return false;
        unnamed = true;
        named = true;
        columns.timeColumn = 0;
        columns.altitudeColumn = 1;
        header = {"column 1", "column 2"};
    }
    if (!named) {
        std::string found;
        if (header.empty()) {
            found = "It has no header line that names its columns, and its rows have " +
                    std::to_string(rowFields) +
                    " columns, so which is the time and which the altitude cannot be told.";
        } else {
            const CsvColumns c = chooseColumns(header);
            found = "Its header names the columns " + joinQuoted(header) + ": " +
                    (c.timeColumn < 0 && c.altitudeColumn < 0 ? "no time column and no altitude column."
                     : c.timeColumn < 0                       ? "no time column."
                                                              : "no altitude column.");
        }
        report.noData = true;
        report.refused = found + " " + NeededColumns + " Nothing was loaded.";
        return true;
    }

    if (columns.altitudeUnit.empty()) columns.altitudeUnit = unitOfHeaderBlock(preamble);

    // The rows.
    std::vector<double> times, altitudes;
    int skipped = 0;
    int dropped = 0;
    bool moreSections = false;
    const auto need = static_cast<std::size_t>(std::max(columns.timeColumn, columns.altitudeColumn));
    in.seek(dataStart);
    while (in.readLine(line)) {
        const std::string_view t = trim(line);
        // The header once more starts another section (a simulation's next stage): the first is
        // the flight.
        if (!headerLine.empty() && withoutCommentMarks(t) == headerLine) {
            moreSections = true;
            break;
        }
        if (t.empty() || t.front() == '#') continue;
        const std::vector<std::string_view> fields = splitFields(t, sep);
        double time = 0.0, altitude = 0.0;
        if (fields.size() <= need ||
            !parseNumber(fields[static_cast<std::size_t>(columns.timeColumn)], sep, time) ||
            !parseNumber(fields[static_cast<std::size_t>(columns.altitudeColumn)], sep, altitude) ||
            !std::isfinite(time * columns.timeFactor)) {
            ++skipped;
            continue;
        }
        if (static_cast<int>(times.size()) >= MaxSamples) {
            ++dropped;
            continue;
        }
        times.push_back(time * columns.timeFactor);
        altitudes.push_back(altitude);
    }
    if (times.empty()) {
        report.noData = true;
        report.refused = "Its header names the columns " + joinQuoted(header) +
                         ", but not one row holds a number in both the time and the altitude column; Orvo "
                         "needs rows of numbers under the header. Nothing was loaded.";
        return true;
    }

    Series& s = list.CreateDataSet();
    SampleBuffer& b = s.samples;
    const std::size_t count = times.size();
    b.time.resize(count);
    b.altitude.resize(count);
    b.peakMark.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        b.time[i] = times[i];
        b.altitude[i] = altitudes[i];
        b.peakMark[i] = 0;
    }
    b.count = static_cast<int>(count);
    list.triggerSet(list.dataSetCount() - 1).DisplayFlag = 0;
    s.altitudeUnit = altitudeUnitOfShortName(columns.altitudeUnit);

    report.foreign = true;
    report.droppedLines += dropped;
    std::string taken =
        "Read " + std::to_string(count) + " samples from the columns " +
        quoted(header[static_cast<std::size_t>(columns.timeColumn)]) + " (time" +
        (columns.timeFactor != 1.0 ? ", milliseconds" : "") + ") and " +
        quoted(header[static_cast<std::size_t>(columns.altitudeColumn)]) + " (altitude" +
        (columns.altitudeUnit.empty() ? ", unit not named" : ", " + unitWord(columns.altitudeUnit)) +
        "); the other columns were left out.";
    if (unnamed)
        taken = "No header names the columns: read " + std::to_string(count) +
                " samples with the time from the first column and the altitude from the second" +
                (rowFields > 2 ? "; the third column holds no peak marks and was left out." : ".");
    report.notes.push_back(taken);
    if (!columns.choice.empty()) report.notes.push_back(columns.choice);
    if (moreSections)
        report.notes.push_back("The file repeats its header further down; only the rows of its first section "
                               "were read.");
    if (skipped > 0)
        report.notes.push_back(std::to_string(skipped) +
                               " line(s) whose time or altitude is not a number were left out.");
    return true;
}

void convertToPlotUnit(SeriesList& list, int firstNew, PlotFileHeader& header, LoadReport& report) {
    // The plot's unit is that of the sets it held before; a plot file that mixes units is left as
    // it was saved.
    const AltitudeUnit* unit = nullptr;
    for (int n = 0; n < firstNew && n < list.dataSetCount() && !unit; ++n)
        unit = list.dataSet(n).altitudeUnit;
    const bool hadUnit = unit != nullptr;
    // Else the first unit the load brings; a plot file keeps the label it was saved with.
    for (int n = std::max(firstNew, 0); n < list.dataSetCount() && !unit && !report.plotFile; ++n)
        unit = list.dataSet(n).altitudeUnit;
    if (!unit) return;
    bool converted = false;
    for (int n = std::max(firstNew, 0); n < list.dataSetCount(); ++n) {
        Series& s = list.dataSet(n);
        if (!s.altitudeUnit && report.foreign)
            report.notes.push_back("The file does not name the unit of its altitudes; they are shown as they "
                                   "stand, in " +
                                   unitWord(unit) + ", the plot's unit.");
        if (!s.altitudeUnit || s.altitudeUnit == unit) continue;
        const double factor = s.altitudeUnit->metres / unit->metres;
        for (Series* series : {&s, &list.triggerSet(n)}) {
            SampleBuffer& b = series->samples;
            for (int i = 0; i < b.count; ++i) {
                double& a = b.altitude[static_cast<std::size_t>(i)];
                const double v = a * factor;
                a = std::isfinite(v) ? v : 0.0;
            }
        }
        report.notes.push_back("The altitudes of " + s.name + " were converted from " +
                               unitWord(s.altitudeUnit) + " to " + unitWord(unit) + ", the plot's unit.");
        s.altitudeUnit = unit;
        converted = true;
    }
    if (!converted && !report.foreign && hadUnit) return;
    if (altitudeUnitOfLabel(header.yLabel) == unit) return;
    // Keep the label's own words and capitals: "Altitude (Feet)" becomes "Altitude (Meters)".
    std::string word = unitWord(unit);
    const std::size_t open = header.yLabel.rfind('(');
    const std::size_t close = header.yLabel.rfind(')');
    if (open != std::string::npos && close != std::string::npos && close > open &&
        altitudeUnitOfLabel(header.yLabel) != nullptr) {
        if (open + 1 < close && header.yLabel[open + 1] >= 'A' && header.yLabel[open + 1] <= 'Z')
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        header.yLabel = header.yLabel.substr(0, open + 1) + word + header.yLabel.substr(close);
    } else {
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
        header.yLabel = "Altitude (" + word + ")";
    }
}

} // namespace orvo

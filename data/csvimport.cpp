#include "data/csvimport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "data/csvfields.h"
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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
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

// A number written as most instruments write theirs, "-812.25": a sign, at most 15 digits with a
// decimal point among them and no exponent. Its value is exact, as from_chars gives it (the digits
// as an integer, divided once by a power of ten that is itself exact). Returns where the number
// ends, or nullptr for anything else (from_chars reads that).
const char* readPlainDecimal(const char* p, const char* end, double& value) {
    static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1; // digits after the point; -1 before it
    for (; p < end; ++p) {
        const char c = *p;
        if (isDigit(c)) {
            if (++count > 15) return nullptr;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (decimals >= 0) ++decimals;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (count == 0 || (p < end && (*p == 'e' || *p == 'E'))) return nullptr;
    const double v = static_cast<double>(digits) / powers[decimals > 0 ? decimals : 0];
    value = negative ? -v : v;
    return p;
}

// A number at the start of a field, as the C locale writes it; a decimal comma is taken when the
// file does not separate with commas. Trailing letters or a "'" (a unit: "33ft", "76.7F") are
// allowed; anything else after the number, or a number that is not finite, is not a number.
bool parseNumber(std::string_view field, char sep, double& value) {
    field = trim(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return false;
    char copy[64];
    if (sep != ',' && field.find(',') != std::string_view::npos) {
        if (field.size() > sizeof copy) return false;
        std::copy(field.begin(), field.end(), copy);
        std::replace(copy, copy + field.size(), ',', '.');
        field = std::string_view(copy, field.size());
    }
    const char* end = field.data() + field.size();
    const char* p = readPlainDecimal(field.data(), end, value);
    if (!p) {
        const auto r = std::from_chars(field.data(), end, value, std::chars_format::general);
        if (r.ec != std::errc{} || !std::isfinite(value)) return false;
        p = r.ptr;
    }
    for (; p < end; ++p)
        if (!isLetter(*p) && *p != '\'' && !isBlank(*p)) return false;
    return true;
}

// A line of a header block: "Key: value", with a letter before the colon and no separator there.
bool isKeyValue(std::string_view line, std::string_view* key = nullptr, std::string_view* value = nullptr) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 || isDigit(line[0])) return false; // "2024-03-23T13:41"
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
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

// A time field: a number, or a date and time.
bool isTimeValue(std::string_view field, char sep) {
    double v = 0.0;
    return parseNumber(field, sep, v) || parseDateTime(field, v);
}

// A row of data: not a comment, at least two fields, the first a number or a date and time.
bool isDataRow(std::string_view line) {
    line = withoutCommentMarks(line);
    if (line.empty() || isKeyValue(line)) return false;
    if (line.front() == '#') return false;
    const char sep = separatorOf(line);
    // Read as splitFields reads a line, but as views: a header of many columns is not copied.
    LineReader in(line);
    CsvRecordReader record(in, sep, line.size() + 1);
    return record.next() && record.size() >= 2 && isTimeValue(record.field(0), sep);
}

bool isCommentStart(std::string_view line) {
    const std::string_view t = trim(line);
    return !t.empty() && t.front() == '#';
}

// ---- column names ----------------------------------------------------------------------------

// A column name split into its words (lower case) and the unit text it carries, if any.
struct ColumnName {
    std::vector<std::string> words; // "barometer", "altitude"
    std::string base;               // the words joined by single blanks
    std::string unit;               // "s", "ms", "ft agl", "not s": as written, lower case
    bool unitWritten = false;       // in parentheses or brackets, or a last word that is a unit
};

std::vector<std::string> wordsOf(std::string_view s) {
    std::vector<std::string> words;
    std::string word;
    for (char ch : s) {
        if (ch == ' ' || ch == '_' || ch == '-' || ch == '.' || ch == '\t' || ch == '(' || ch == ')' ||
            ch == '[' || ch == ']' || ch == ',') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += ch;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// Words that qualify a unit or a name without changing it.
bool isQualifier(const std::string& w) {
    return w == "agl" || w == "msl" || w == "asl" || w == "approx" || w == "aprox" || w == "approximate" ||
           w == "approximately" || w == "ca" || w == "est";
}

// Seconds per unit for a time unit word; 0 for a word that is none.
double secondsOfWord(const std::string& w) {
    if (w == "s" || w == "sec" || w == "secs" || w == "second" || w == "seconds") return 1.0;
    if (w == "ms" || w == "msec" || w == "msecs" || w == "millis" || w == "millisecond" ||
        w == "milliseconds")
        return 1e-3;
    if (w == "us" || w == "usec" || w == "usecs" || w == "micros" || w == "microsecond" ||
        w == "microseconds" || w == "\xc2\xb5s" || w == "\xce\xbcs")
        return 1e-6;
    if (w == "min" || w == "mins" || w == "minute" || w == "minutes") return 60.0;
    if (w == "h" || w == "hr" || w == "hrs" || w == "hour" || w == "hours") return 3600.0;
    return 0.0;
}

bool isUnitWord(const std::string& w) {
    return secondsOfWord(w) > 0 || altitudeUnitOfWord(w) != nullptr;
}

ColumnName parseColumnName(std::string_view name) {
    std::string s = lower(trim(withoutCommentMarks(name)));
    ColumnName c;
    // "(m)", "[ft]", "(Ft-AGL)" at the end.
    while (!s.empty() && isBlank(s.back()))
        s.pop_back();
    if (!s.empty() && (s.back() == ')' || s.back() == ']')) {
        const char open = s.back() == ')' ? '(' : '[';
        const std::size_t at = s.rfind(open);
        if (at != std::string::npos) {
            c.unit = std::string(trim(std::string_view(s).substr(at + 1, s.size() - at - 2)));
            c.unitWritten = true;
            s.erase(at);
        }
    }
    // A trailing "'" is feet.
    if (!c.unitWritten && !s.empty() && s.back() == '\'') {
        c.unit = "ft";
        c.unitWritten = true;
        s.pop_back();
    }
    c.words = wordsOf(s);
    // "time_s", "altitude_ft", "alt m agl": last words that are a unit and its qualifiers.
    if (!c.unitWritten && c.words.size() >= 2) {
        std::size_t end = c.words.size();
        while (end > 1 && isQualifier(c.words[end - 1]))
            --end;
        if (end > 1 && isUnitWord(c.words[end - 1])) {
            for (std::size_t i = end - 1; i < c.words.size(); ++i)
                c.unit += (i + 1 == end ? "" : " ") + c.words[i];
            c.unitWritten = true;
            // Qualifiers stay among the words ("agl" says height above ground).
            c.words.erase(c.words.begin() + static_cast<std::ptrdiff_t>(end - 1));
        }
    }
    for (const std::string& w : c.words) {
        if (!c.base.empty()) c.base += ' ';
        c.base += w;
    }
    return c;
}

bool hasWord(const ColumnName& n, std::string_view word) {
    return std::find(n.words.begin(), n.words.end(), word) != n.words.end();
}

// The one unit word a unit text is (qualifiers aside): "ft agl" is "ft", "not s" is none.
std::string unitWordOf(const std::string& unit, bool& clean) {
    std::vector<std::string> words = wordsOf(unit);
    std::string found;
    clean = true;
    for (const std::string& w : words) {
        if (isQualifier(w)) continue;
        if (found.empty() && isUnitWord(w)) {
            found = w;
            continue;
        }
        clean = false;
    }
    if (unit.find('/') != std::string::npos) clean = false; // "m/s" is a rate
    return found;
}

bool isTimeName(const ColumnName& n) {
    const std::string& b = n.base;
    std::vector<std::string> words;
    for (const std::string& w : n.words)
        if (!isQualifier(w)) words.push_back(w);
    std::string core;
    for (const std::string& w : words)
        core += (core.empty() ? "" : " ") + w;
    if (core == "time" || core == "t" || core == "ts" || core == "timestamp" || core == "time stamp" ||
        core == "elapsed" || core == "elapsed time" || core == "flight time" || core == "time since launch" ||
        core == "time since start" || core == "mission time" || core == "datetime" || core == "date time" ||
        core == "utc" || core == "utc time" || core == "gps time" || core == "clock" || core == "seconds" ||
        core == "sec" || core == "ms" || core == "millis" || core == "milliseconds" || core == "us" ||
        core == "micros")
        return true;
    // "time_us", "Time (us)" parsed their unit away; "timestamp_ms" too.
    return b.empty() ? false : words.size() == 1 && secondsOfWord(words[0]) > 0;
}

// How well a column name names the altitude: 0 not at all, 1 a GPS altitude, 2 a plain altitude
// in a file that holds GPS columns (most likely the GPS's), 3 the altitude, 4 a height above
// ground, 5 a barometric altitude, 6 a barometric height above ground.
int altitudeRank(const ColumnName& n, bool gpsFile) {
    for (const char* no : {"velocity", "vel", "speed", "rate", "accel", "acceleration", "max", "min",
                           "apogee", "target", "deploy", "offset", "error", "accuracy", "vspeed", "climb"})
        if (hasWord(n, no)) return 0;
    bool named = false;
    for (const char* yes : {"altitude", "alt", "height", "hgt", "agl", "elevation", "baroalt", "gpsalt"})
        named = named || hasWord(n, yes);
    if (!named) return 0;
    bool baro = hasWord(n, "baroalt");
    for (const char* b : {"baro", "barometer", "barometric", "pressure", "press", "bmp", "bmp280", "ms5611"})
        baro = baro || hasWord(n, b);
    bool gps = hasWord(n, "gpsalt") || hasWord(n, "elevation");
    for (const char* g : {"gps", "gnss", "msl"})
        gps = gps || hasWord(n, g);
    if (gps && !baro) return 1;
    bool ground = hasWord(n, "height") || hasWord(n, "hgt") || hasWord(n, "agl") ||
                  n.base.find("above ground") != std::string::npos || n.unit.find("agl") != std::string::npos;
    if (!baro && !ground && gpsFile) return 2;
    return 3 + (ground ? 1 : 0) + (baro ? 2 : 0);
}

// Whether a column name is one a GPS receiver writes beside its altitude.
bool isGpsColumn(const ColumnName& n) {
    for (const char* g : {"lat", "latitude", "lon", "lng", "long", "longitude", "sat", "sats", "satellites",
                          "numsats", "hdop", "fix"})
        if (hasWord(n, g)) return true;
    return false;
}

const char* const NeededColumns =
    "Orvo needs a header that names a time column (\"time\", \"t\", \"time_s\", \"Time (s)\", \"time_ms\") "
    "and an altitude column (\"altitude\", \"alt\", \"height\", \"Altitude (m)\", \"altitude_ft\").";

std::string quoted(std::string_view s) {
    std::string out(1, '"');
    out += trim(s);
    out += '"';
    return out;
}

// The first names of a list, quoted, and how many there are when not all are said.
template <class NameOf> std::string joinQuotedOf(std::size_t count, NameOf nameOf, std::size_t most = 12) {
    std::string out;
    for (std::size_t i = 0; i < count && i < most; ++i) {
        if (i > 0) out += ", ";
        out += quoted(nameOf(i));
    }
    if (count > most) out += ", ... (" + std::to_string(count) + " columns)";
    return out;
}

std::string joinQuoted(const std::vector<std::string>& names) {
    return joinQuotedOf(names.size(), [&](std::size_t i) -> std::string_view { return names[i]; });
}

// The columns' names, without copying every name of a wide file.
std::string joinQuotedNames(const std::vector<CsvColumn>& columns) {
    return joinQuotedOf(columns.size(), [&](std::size_t i) -> std::string_view { return columns[i].name; });
}

// The altitude unit one text names as a word ("feet", "ft", "meters", "m", a number with a
// trailing "'" for feet); nullptr when it names none. "m/s" names none.
const AltitudeUnit* unitOfWords(std::string_view text) {
    const std::string t = lower(text);
    std::string word;
    char before = ' ';
    for (std::size_t i = 0; i <= t.size(); ++i) {
        const char c = i < t.size() ? t[i] : ' ';
        if (c == '\'' && !word.empty() && isDigit(word.back())) return altitudeUnitOfShortName("ft");
        if (isLetter(c)) {
            if (word.empty() || isLetter(word.back()))
                word += c;
            else
                word = std::string(1, c); // "1234m": the unit after the number
            continue;
        }
        if (isDigit(c)) {
            if (!word.empty() && isLetter(word.back())) word.clear();
            word += c;
            continue;
        }
        if (c == '.' && !word.empty() && !isLetter(word.back())) {
            word += c;
            continue;
        }
        double scale = 1.0;
        if (c != '/' && before != '/' && !word.empty() && isLetter(word.back()))
            if (const AltitudeUnit* u = altitudeUnitOfWord(word, &scale); u && scale == 1.0) return u;
        before = c;
        word.clear();
    }
    return nullptr;
}

// The unit a header block gives the altitude: a "Key: value" or comment line about the altitude,
// the height or the units whose value names one.
const AltitudeUnit* unitOfHeaderBlock(const std::vector<std::string_view>& preamble) {
    for (std::string_view line : preamble) {
        std::string_view key, value;
        if (!isKeyValue(withoutCommentMarks(line), &key, &value)) continue;
        const std::string k = lower(key);
        if (k.find("unit") == std::string::npos && k.find("alt") == std::string::npos &&
            k.find("height") == std::string::npos && k.find("apogee") == std::string::npos)
            continue;
        if (const AltitudeUnit* u = unitOfWords(value)) return u;
        if (k.find("unit") != std::string::npos) {
            const std::string v = lower(value);
            if (v.find("metric") != std::string::npos) return altitudeUnitOfShortName("m");
            if (v.find("imperial") != std::string::npos) return altitudeUnitOfShortName("ft");
        }
    }
    return nullptr;
}

// Splits one header line into column names: its own separator (a blank-separated "(m)" stays
// with the name before it). A line "Key: (a, b, c)" names the columns in its parentheses.
std::vector<std::string> splitHeader(std::string_view line) {
    line = withoutCommentMarks(line);
    std::string_view key, value;
    if (isKeyValue(line, &key, &value)) {
        line = value;
        if (value.size() >= 2 && value.front() == '(' && value.back() == ')')
            line = value.substr(1, value.size() - 2);
    }
    const char sep = separatorOf(line);
    std::vector<std::string> names;
    for (std::string& f : splitFields(line, sep)) {
        if (sep == BlankSeparator && !names.empty() && !f.empty() && (f.front() == '(' || f.front() == '[')) {
            names.back() += ' ';
            names.back() += f;
        } else {
            names.push_back(std::move(f));
        }
    }
    // Trailing separators name nothing.
    while (names.size() > 1 && names.back().empty())
        names.pop_back();
    return names;
}

// What the names say about each column. Only the first DescribedColumns are looked at for a time
// or an altitude (instruments write their time first and a few dozen columns in all); those after
// keep their names, so the flyer can still choose one by name or number, and a header of a
// million columns costs no more than its names.
constexpr std::size_t DescribedColumns = 4096;

std::vector<CsvColumn> describeColumns(const std::vector<std::string>& names) {
    const std::size_t described = std::min(names.size(), DescribedColumns);
    std::vector<ColumnName> parsed;
    parsed.reserve(described);
    bool gpsFile = false;
    for (std::size_t i = 0; i < described; ++i) {
        parsed.push_back(parseColumnName(names[i]));
        gpsFile = gpsFile || isGpsColumn(parsed.back());
    }
    std::vector<CsvColumn> columns(names.size());
    for (std::size_t i = described; i < names.size(); ++i)
        columns[i].name = std::string(trim(names[i]));
    for (std::size_t i = 0; i < described; ++i) {
        CsvColumn& c = columns[i];
        const ColumnName& n = parsed[i];
        c.name = std::string(trim(names[i]));
        bool clean = true;
        const std::string unit = n.unitWritten ? unitWordOf(n.unit, clean) : std::string();
        c.timeLike = isTimeName(n);
        if (c.timeLike) {
            // The unit after the name, or the name itself ("ms", "seconds").
            const std::string word = !unit.empty() ? unit : n.words.size() == 1 ? n.words[0] : std::string();
            const double seconds = secondsOfWord(word);
            if (n.unitWritten && !n.unit.empty()) {
                // "time(not s)": a unit, but not one known; "time (approx)" names none.
                bool qualifiers = true;
                for (const std::string& w : wordsOf(n.unit))
                    qualifiers = qualifiers && isQualifier(w);
                if (!qualifiers && (!clean || seconds == 0.0)) c.timeForm = TimeForm::Unknown;
            }
            if (seconds > 0.0 && c.timeForm != TimeForm::Unknown) {
                c.secondsPerUnit = seconds;
                c.timeUnitNamed = true;
            }
            continue;
        }
        c.altitudeRank = altitudeRank(n, gpsFile);
        if (c.altitudeRank > 0 && clean && !unit.empty()) c.unit = altitudeUnitOfWord(unit, &c.unitScale);
    }
    return columns;
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
        const std::vector<std::string> fields = splitFields(t, ',');
        if (fields.size() < 2 || !parseNumber(fields[0], ',', v) || !parseNumber(fields[1], ',', v)) continue;
        if (fields.size() >= 3 && !fields[2].empty() && fields[2] != "0" && fields[2] != "1") return false;
        found = true;
    }
    return found;
}

// The lines of the recognised start, split only as far as they are looked at (most files are told
// by their first few dozen lines).
class HeadLines {
  public:
    explicit HeadLines(std::string_view head) : m_in(head) {}
    // Whether the start has a line i.
    bool has(std::size_t i) {
        std::string_view line;
        while (m_lines.size() <= i && m_in.readLine(line))
            m_lines.push_back(line);
        return i < m_lines.size();
    }
    std::string_view operator[](std::size_t i) const { return m_lines[i]; }

  private:
    LineReader m_in;
    std::vector<std::string_view> m_lines;
};

// The recognised start of a file: its lines, joined by line feeds.
CsvLayout analyse(std::string_view head, bool wholeFile) {
    CsvLayout layout;
    layout.wholeFile = wholeFile;
    HeadLines lines(head);
    // A file that ends inside the recognised start may lose its last, cut line: a start cut at
    // the window ends with a whole line (the reader joins whole lines), so nothing is lost.
    if (!lines.has(0)) return layout;
    const std::string_view first = lines[0];
    if (startsPlotFile(first)) {
        layout.kind = FileKind::OrvoPlot;
        return layout;
    }
    // A data set file: seven '#' lines, the seventh the limits line.
    const bool commentFirst = !first.empty() && first[0] == '#';
    if (commentFirst && lines.has(6)) {
        bool allComments = true;
        for (int i = 0; i < 7; ++i)
            allComments = allComments && !lines[static_cast<std::size_t>(i)].empty() &&
                          lines[static_cast<std::size_t>(i)][0] == '#';
        double v[4] = {};
        if (allComments &&
            scanLine(lines[6].substr(1), "%lf,%lf,%lf,%lf", {&v[0], &v[1], &v[2], &v[3]}) == 4) {
            layout.kind = FileKind::OrvoDataSet;
            return layout;
        }
    }

    // The first row of data: a data row followed by one of the same separator and number of
    // fields (a lone line of numbers in a header block, "3 flights recorded", does not start them).
    constexpr std::size_t none = std::string_view::npos;
    std::size_t dataStart = none;
    for (std::size_t i = 0; lines.has(i) && dataStart == none; ++i) {
        if (!isDataRow(lines[i])) continue;
        const std::string_view row = withoutCommentMarks(lines[i]);
        const char sep = separatorOf(row);
        bool alike = true;
        for (std::size_t j = i + 1; lines.has(j); ++j) {
            const std::string_view t = trim(lines[j]);
            if (t.empty() || t.front() == '#') continue;
            alike = isDataRow(t) && separatorOf(t) == sep && countFields(t, sep) == countFields(row, sep);
            break;
        }
        if (alike) dataStart = i;
    }
    if (dataStart == none) return layout; // no rows: the loader says "no data"
    const std::string_view row = withoutCommentMarks(lines[dataStart]);
    layout.separator = separatorOf(row);
    layout.rowFields = static_cast<int>(countFields(row, layout.separator));

    std::vector<std::string_view> preamble;
    for (std::size_t i = 0; i < dataStart; ++i)
        if (!trim(lines[i]).empty()) preamble.push_back(lines[i]);

    // The header: the nearest line above the rows that names a time and an altitude column.
    std::vector<std::string> header;
    int headerIndex = -1;
    std::vector<CsvColumn> columns;
    for (std::size_t k = dataStart; k-- > 0;) {
        const std::string_view text = lines[k];
        if (trim(text).empty() || isDataRow(text)) continue;
        std::string_view key, value;
        const bool keyValue = isKeyValue(withoutCommentMarks(text), &key, &value);
        std::vector<std::string> names = splitHeader(text);
        if (names.size() < 2) continue;
        std::vector<CsvColumn> c = describeColumns(names);
        const bool time = std::any_of(c.begin(), c.end(), [](const CsvColumn& x) { return x.timeLike; });
        const bool altitude =
            std::any_of(c.begin(), c.end(), [](const CsvColumn& x) { return x.altitudeRank > 0; });
        // "Data: Time, Altitude, ..." names the columns; other "Key: value" lines never do.
        if (keyValue && !(time && altitude)) continue;
        if (time && altitude) {
            header = std::move(names);
            columns = std::move(c);
            headerIndex = static_cast<int>(k);
            layout.named = true;
            break;
        }
        // Failing a line that names both: the nearest that names one (said in the refusal), or in
        // a file without comment lines the nearest line of several words.
        if (!header.empty()) continue;
        double v = 0.0;
        int words = 0;
        for (const std::string& n : names)
            words += parseNumber(n, ',', v) ? 0 : 1;
        if (time || altitude || (!commentFirst && 2 * words > static_cast<int>(names.size()))) {
            header = std::move(names);
            columns = std::move(c);
            headerIndex = static_cast<int>(k);
        }
    }
    const bool namesSome = std::any_of(columns.begin(), columns.end(),
                                       [](const CsvColumn& x) { return x.timeLike || x.altitudeRank > 0; });
    // A file that begins with comment lines and has up to three columns reads as it always did.
    if (!layout.named && commentFirst && layout.rowFields <= 3) {
        layout.kind = FileKind::OrvoDataSet;
        return layout;
    }
    layout.kind = FileKind::Foreign;
    bool unnamed = false;
    if (!layout.named && !namesSome && layout.rowFields <= 3) {
        // Orvo's own sample lines (perhaps among lines that name nothing) stay its own; rows that
        // are not separated by commas, or whose third column is no peak mark, are read as time and
        // altitude without marks.
        if (ownSampleLines(head)) {
            layout.kind = FileKind::OrvoDataSet;
            return layout;
        }
        unnamed = true;
    }
    if (header.empty() || unnamed) {
        header.clear();
        for (int i = 0; i < layout.rowFields; ++i)
            header.push_back("column " + std::to_string(i + 1));
        columns = describeColumns(header);
        headerIndex = -1;
    }
    layout.header = headerIndex >= 0
                        ? std::string(withoutCommentMarks(lines[static_cast<std::size_t>(headerIndex)]))
                        : std::string();
    layout.rowsFrom = headerIndex >= 0 ? headerIndex + 1 : static_cast<int>(dataStart);
    // Lines that look like rows but are not read: above the header those of the rows' own shape,
    // without a header any above the rows.
    const std::size_t above = headerIndex >= 0 ? static_cast<std::size_t>(headerIndex) : dataStart;
    for (std::size_t i = 0; i < above; ++i) {
        const std::string_view t = withoutCommentMarks(lines[i]);
        if (!isCommentStart(lines[i]) && isDataRow(t) &&
            (headerIndex < 0 || (separatorOf(t) == layout.separator &&
                                 static_cast<int>(countFields(t, layout.separator)) == layout.rowFields)))
            ++layout.rowsBeforeHeader;
    }
    // An unnamed row number before the named columns (as data frame libraries write them).
    if (layout.named && layout.rowFields == static_cast<int>(header.size()) + 1) layout.columnOffset = 1;

    // The first values of each column.
    {
        LineReader in(head);
        std::string_view skip;
        for (int i = 0; i < layout.rowsFrom && in.readLine(skip); ++i) {
        }
        CsvRecordReader rec(in, layout.separator);
        int rows = 0;
        while (rows < 3 && rec.next()) {
            if (rec.size() == 0 || (rec.size() == 1 && rec.field(0).empty())) continue;
            if (!rec.quoted(0) && !rec.field(0).empty() && rec.field(0)[0] == '#') continue;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const std::size_t f = c + static_cast<std::size_t>(layout.columnOffset);
                if (rows == 0) columns[c].firstValues.reserve(3);
                columns[c].firstValues.emplace_back(f < rec.size() ? rec.field(f) : std::string_view());
            }
            ++rows;
        }
    }

    // The guess.
    CsvMapping& g = layout.guess;
    if (unnamed) {
        // Rows of one field have no altitude column to guess: the flyer chooses, or the load says so.
        if (columns.size() >= 2) {
            g.timeColumn = 0;
            g.altitudeColumn = 1;
        }
    } else {
        int best = 0;
        std::vector<std::string> altitudeNames;
        std::vector<std::string> tied;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const CsvColumn& c = columns[i];
            if (c.timeLike && g.timeColumn < 0) g.timeColumn = static_cast<int>(i);
            if (c.altitudeRank == 0) continue;
            altitudeNames.push_back(c.name);
            if (c.altitudeRank > best) {
                best = c.altitudeRank;
                g.altitudeColumn = static_cast<int>(i);
                tied = {c.name};
            } else if (c.altitudeRank == best) {
                tied.push_back(c.name);
            }
        }
        if (altitudeNames.size() > 1) {
            const std::string taken = quoted(columns[static_cast<std::size_t>(g.altitudeColumn)].name);
            layout.choice = "Of the altitude columns " + joinQuoted(altitudeNames) + ", " + taken +
                            " was taken" +
                            (best >= 5   ? " (barometric)."
                             : best == 4 ? " (height above ground)."
                                         : ".");
        }
        if (tied.size() > 1) {
            layout.doubtful = true;
            layout.doubt = "The columns " + joinQuoted(tied) + " name the altitude alike.";
        }
    }
    if (g.timeColumn >= 0) {
        CsvColumn& t = columns[static_cast<std::size_t>(g.timeColumn)];
        // A time column of dates and times of day, or of numbers in a unit the name gives.
        if (t.timeForm != TimeForm::Unknown && !t.firstValues.empty()) {
            double v = 0.0;
            if (!parseNumber(t.firstValues[0], layout.separator, v) && parseDateTime(t.firstValues[0], v))
                t.timeForm = TimeForm::DateTime;
        }
        g.timeForm = t.timeForm;
        g.secondsPerUnit = t.secondsPerUnit;
        // A time stamp that does not name its unit but counts in steps of tens is in milliseconds,
        // as the flight computers that write "timestamp" count.
        if (t.timeForm == TimeForm::Number && !t.timeUnitNamed && !unnamed) {
            LineReader in(head);
            std::string_view skip;
            for (int i = 0; i < layout.rowsFrom && in.readLine(skip); ++i) {
            }
            CsvRecordReader rec(in, layout.separator);
            std::vector<double> steps;
            double last = 0.0;
            bool any = false, whole = true;
            const std::size_t f = static_cast<std::size_t>(g.timeColumn + layout.columnOffset);
            while (steps.size() < 64 && rec.next()) {
                double v = 0.0;
                if (f >= rec.size() || !parseNumber(rec.field(f), layout.separator, v)) continue;
                whole = whole && v == std::floor(v);
                if (any) steps.push_back(v - last);
                last = v;
                any = true;
            }
            if (whole && steps.size() >= 4) {
                std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                                 steps.end());
                if (steps[steps.size() / 2] >= 5.0) g.secondsPerUnit = 1e-3;
            }
        }
    }
    if (g.altitudeColumn >= 0) {
        const CsvColumn& a = columns[static_cast<std::size_t>(g.altitudeColumn)];
        g.unit = a.unit;
        g.unitScale = a.unitScale;
        if (!g.unit) g.unit = unitOfHeaderBlock(preamble);
        g.unitNamed = g.unit != nullptr;
        if (!g.unitNamed) {
            layout.doubtful = true;
            if (!layout.doubt.empty()) layout.doubt += ' ';
            layout.doubt += "The file does not name the unit of its altitudes.";
        }
    }
    layout.columns = std::move(columns);

    // What cannot be read as guessed.
    if (g.timeColumn < 0 || g.altitudeColumn < 0) {
        layout.doubtful = true;
        std::string found;
        if (!layout.named && headerIndex < 0) {
            found = "It has no header line that names its columns, and its rows have " +
                    std::to_string(layout.rowFields) +
                    " columns, so which is the time and which the altitude cannot be told.";
        } else {
            found = "Its header names the columns " + joinQuoted(header) + ": " +
                    (g.timeColumn < 0 && g.altitudeColumn < 0 ? "no time column and no altitude column."
                     : g.timeColumn < 0                       ? "no time column."
                                                              : "no altitude column.");
            if (header.size() > DescribedColumns)
                found += " Only the names of its first " + std::to_string(DescribedColumns) +
                         " columns are looked at; choose the others by name or number.";
        }
        layout.doubt = found;
        layout.refusal = found + " " + NeededColumns;
    } else if (g.timeForm == TimeForm::Unknown) {
        layout.doubtful = true;
        layout.refusal = "The unit of its time column " +
                         quoted(layout.columns[static_cast<std::size_t>(g.timeColumn)].name) +
                         " is not one Orvo knows, so its times are not read as seconds; Orvo needs seconds, "
                         "milliseconds, microseconds, minutes or hours.";
        layout.doubt = layout.refusal;
    } else if (layout.named && layout.rowFields > static_cast<int>(header.size()) + 1) {
        layout.refusal = "Its header names " + std::to_string(header.size()) + " columns but its rows have " +
                         std::to_string(layout.rowFields) +
                         " fields, so which field is which column cannot be told; Orvo needs rows with as "
                         "many fields as the header names, or one more (a row number first).";
    }
    return layout;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

} // namespace

bool startsPlotFile(std::string_view firstLine) {
    return !firstLine.empty() && firstLine[0] == 'O';
}

bool parseDateTime(std::string_view field, double& seconds) {
    field = trim(field);
    if (!field.empty() && (field.back() == 'Z' || field.back() == 'z')) field.remove_suffix(1);
    // Groups of digits and the one or two characters between them ("--" in some loggers).
    long long value[8] = {};
    int digits[8] = {};
    std::string_view between[8];
    int n = 0;
    std::size_t i = 0;
    if (field.empty() || !isDigit(field[0])) return false;
    while (i < field.size()) {
        if (n == 8) return false;
        const std::size_t from = i;
        while (i < field.size() && isDigit(field[i]) && i - from < 12)
            value[n] = value[n] * 10 + (field[i++] - '0');
        if (i < field.size() && isDigit(field[i])) return false;
        digits[n++] = static_cast<int>(i - from);
        const std::size_t sepFrom = i;
        while (i < field.size() && !isDigit(field[i])) {
            const char c = field[i];
            if (c != '-' && c != '/' && c != ':' && c != '.' && c != ',' && c != 'T' && c != ' ' && c != '_')
                return false;
            ++i;
        }
        if (i - sepFrom > 2 || (i == field.size() && i > sepFrom)) return false;
        if (n < 8) between[n] = field.substr(sepFrom, i - sepFrom);
    }
    const bool date = n >= 3 && digits[0] == 4 && (between[1] == "-" || between[1] == "/");
    bool colon = false;
    for (int k = 1; k < n; ++k)
        colon = colon || between[k] == ":";
    if (!date && !colon) return false; // "12.5" is a number, not a time
    int k = 0;
    double days = 0.0;
    if (date) {
        const long long m = value[1], d = value[2];
        if (m < 1 || m > 12 || d < 1 || d > 31) return false;
        days =
            static_cast<double>(daysFromCivil(value[0], static_cast<unsigned>(m), static_cast<unsigned>(d)));
        k = 3;
    }
    const int left = n - k;
    if (left == 1 || left > 4) return false;
    long long h = 0, mi = 0, s = 0;
    double frac = 0.0;
    if (left >= 2) {
        h = value[k];
        mi = value[k + 1];
    }
    if (left >= 3) s = value[k + 2];
    if (left == 4) {
        if (digits[k + 3] > 9) return false;
        frac = static_cast<double>(value[k + 3]) / std::pow(10.0, digits[k + 3]);
    }
    if (h > 23 || mi > 59 || s > 60) return false;
    seconds = days * 86400.0 + static_cast<double>(h * 3600 + mi * 60 + s) + frac;
    return true;
}

std::string CsvLayout::headerKey() const {
    if (!header.empty()) return header;
    return "(" + std::to_string(rowFields) + " columns without a header)";
}

CsvLayout recogniseCsv(std::string_view text) {
    LineReader in(text);
    return recogniseCsv(in);
}

CsvLayout recogniseCsv(LineReader& in) {
    in.setLineLimit(MaxForeignLineBytes);
    // The start: the first MiB of whole lines, and at least the first 64 lines however long
    // (a header of a million columns is still a header), up to four long lines' worth.
    std::string head;
    head.reserve(RecogniseBytes + 4096); // whole lines past the MiB, most often without moving it
    std::string_view line;
    int lines = 0;
    bool whole = false;
    while (head.size() < RecogniseBytes || lines < 64) {
        if (head.size() >= 4 * MaxForeignLineBytes) break;
        if (!in.readLine(line)) {
            whole = true;
            break;
        }
        if (lines == 0) {
            const std::size_t before = line.size();
            if (before >= 2 && ((static_cast<unsigned char>(line[0]) == 0xFF &&
                                 static_cast<unsigned char>(line[1]) == 0xFE) ||
                                (static_cast<unsigned char>(line[0]) == 0xFE &&
                                 static_cast<unsigned char>(line[1]) == 0xFF))) {
                CsvLayout layout;
                layout.kind = FileKind::Utf16;
                layout.refusal = "It is UTF-16 text (it begins with its byte-order mark); Orvo reads text in "
                                 "UTF-8 or ASCII. Save it as UTF-8 text and load it again.";
                return layout;
            }
            line = withoutByteOrderMark(line);
        }
        head.append(line);
        head += '\n';
        ++lines;
    }
    return analyse(head, whole);
}

std::string applyChoice(const CsvLayout& layout, const CsvChoice& choice, CsvMapping& mapping) {
    auto find = [&](const std::string& want, int& column) -> std::string {
        if (want.empty()) return std::string();
        const std::string w = lower(trim(want));
        for (std::size_t i = 0; i < layout.columns.size(); ++i)
            if (lower(layout.columns[i].name) == w) {
                column = static_cast<int>(i);
                return std::string();
            }
        long number = 0;
        const auto r = std::from_chars(w.data(), w.data() + w.size(), number);
        if (r.ec == std::errc{} && r.ptr == w.data() + w.size() && number >= 1 &&
            number <= static_cast<long>(layout.columns.size())) {
            column = static_cast<int>(number - 1);
            return std::string();
        }
        return "no column is named " + quoted(want) + " (its columns: " + joinQuotedNames(layout.columns) +
               "; a number from 1 to " + std::to_string(layout.columns.size()) + " also names one)";
    };
    if (std::string why = find(choice.timeColumn, mapping.timeColumn); !why.empty()) return why;
    if (!choice.timeColumn.empty()) {
        const CsvColumn& t = layout.columns[static_cast<std::size_t>(mapping.timeColumn)];
        mapping.timeForm = t.timeForm == TimeForm::Unknown ? TimeForm::Number : t.timeForm;
        mapping.secondsPerUnit = t.secondsPerUnit;
        double v = 0.0;
        if (!t.firstValues.empty() && !parseNumber(t.firstValues[0], layout.separator, v) &&
            parseDateTime(t.firstValues[0], v))
            mapping.timeForm = TimeForm::DateTime;
    }
    if (std::string why = find(choice.altitudeColumn, mapping.altitudeColumn); !why.empty()) return why;
    if (!choice.altitudeColumn.empty()) {
        const CsvColumn& a = layout.columns[static_cast<std::size_t>(mapping.altitudeColumn)];
        mapping.unit = a.unit;
        mapping.unitScale = a.unitScale;
        mapping.unitNamed = a.unit != nullptr;
    }
    if (choice.unit) {
        mapping.unit = choice.unit;
        mapping.unitScale = 1.0;
        mapping.unitNamed = true;
    }
    return std::string();
}

bool readable(const CsvLayout& layout, const CsvMapping& m) {
    const int n = static_cast<int>(layout.columns.size());
    return m.timeColumn >= 0 && m.timeColumn < n && m.altitudeColumn >= 0 && m.altitudeColumn < n &&
           m.timeColumn != m.altitudeColumn && m.timeForm != TimeForm::Unknown;
}

std::string timeUnitWords(const CsvMapping& m) {
    if (m.timeForm == TimeForm::DateTime) return "date and time";
    if (m.secondsPerUnit == 1e-3) return "milliseconds";
    if (m.secondsPerUnit == 1e-6) return "microseconds";
    if (m.secondsPerUnit == 60.0) return "minutes";
    if (m.secondsPerUnit == 3600.0) return "hours";
    return "seconds";
}

// Times further than this from the first row's are not a flight's: 1e308 is refused, not drawn.
constexpr double MaxFlightSeconds = 1e7;

bool readCsv(LineReader& in, const CsvLayout& layout, const CsvMapping& m, SeriesList& list,
             LoadReport& report) {
    const std::string columnsText = layout.named
                                        ? "Its header names the columns " + joinQuotedNames(layout.columns)
                                        : "Its rows have " + std::to_string(layout.rowFields) + " columns";
    if (!layout.refusal.empty() && m == layout.guess) {
        report.noData = true;
        report.refused = layout.refusal + " Nothing was loaded.";
        return false;
    }
    if (!readable(layout, m)) {
        report.noData = true;
        report.refused =
            columnsText + ": which is the time and which the altitude is not chosen. Nothing was loaded.";
        return false;
    }
    in.setLineLimit(MaxForeignLineBytes);
    std::string_view skip;
    for (int i = 0; i < layout.rowsFrom && in.readLine(skip); ++i) {
    }
    CsvRecordReader rec(in, layout.separator, MaxForeignLineBytes);
    const auto timeField = static_cast<std::size_t>(m.timeColumn + layout.columnOffset);
    const auto altitudeField = static_cast<std::size_t>(m.altitudeColumn + layout.columnOffset);
    const std::size_t need = std::max(timeField, altitudeField);
    const auto fields = static_cast<std::size_t>(std::max(layout.rowFields, 1));

    // Room for every sample a set may hold, taken from memory only as rows fill it, so the columns
    // never move as they grow.
    std::vector<double> times, altitudes;
    times.reserve(MaxSamples);
    altitudes.reserve(MaxSamples);
    int unreadable = 0, otherShape = 0, absurd = 0, notAfter = 0, dropped = 0, broken = 0;
    bool moreSections = false;
    bool first = true;
    double base = 0.0;
    double lastRaw = 0.0, dayShift = 0.0;
    while (rec.next()) {
        if (rec.size() == 0 || (rec.size() == 1 && rec.field(0).empty() && !rec.quoted(0))) continue;
        const std::string_view f0 = rec.field(0);
        // The header once more starts another section (a simulation's next stage): the first is
        // the flight.
        if (layout.named && withoutCommentMarks(rec.firstLine()) == layout.header) {
            moreSections = true;
            break;
        }
        if (!rec.quoted(0) && !f0.empty() && f0.front() == '#') continue;
        if (rec.broken()) {
            ++broken;
            continue;
        }
        std::size_t size = rec.size();
        while (size > 0 && rec.field(size - 1).empty())
            --size;
        // A row of another shape would be read shifted: it is left out and counted.
        if (size > fields || rec.size() <= need) {
            ++otherShape;
            continue;
        }
        double t = 0.0, a = 0.0;
        const std::string_view tf = rec.field(timeField);
        bool ok =
            m.timeForm == TimeForm::DateTime ? parseDateTime(tf, t) : parseNumber(tf, layout.separator, t);
        ok = ok && parseNumber(rec.field(altitudeField), layout.separator, a);
        if (!ok) {
            ++unreadable;
            continue;
        }
        if (m.timeForm == TimeForm::DateTime) {
            // Times of day without a date go on past midnight.
            if (!first && t + dayShift < lastRaw - 43200.0 && t < 86400.0) dayShift += 86400.0;
            t += dayShift;
            lastRaw = t;
        } else {
            t *= m.secondsPerUnit;
        }
        a *= m.unitScale;
        if (!std::isfinite(t) || !std::isfinite(a)) {
            ++unreadable;
            continue;
        }
        if (first) {
            // Dates, and clock counts such as seconds since 1970, are read from the first row.
            if (m.timeForm == TimeForm::DateTime || (std::fabs(t) > 1e6 && std::fabs(t) < 1e11)) base = t;
        }
        t -= base;
        if (std::fabs(t) > MaxFlightSeconds) {
            ++absurd;
            continue;
        }
        first = false;
        if (!times.empty() && t <= times.back()) ++notAfter;
        if (static_cast<int>(times.size()) >= MaxSamples) {
            ++dropped;
            continue;
        }
        times.push_back(t);
        altitudes.push_back(a);
    }
    const std::size_t cut = in.cutLines();
    if (times.empty()) {
        report.noData = true;
        report.refused =
            columnsText + ", but not one row holds a number in both the time and the altitude column";
        if (otherShape > 0)
            report.refused += " (" + std::to_string(otherShape) +
                              " row(s) have another number of fields than " + std::to_string(fields) + ")";
        if (absurd > 0)
            report.refused += " (" + std::to_string(absurd) + " row(s) have a time more than " +
                              std::to_string(static_cast<long long>(MaxFlightSeconds)) +
                              " s from the first row's)";
        report.refused += "; Orvo needs rows of numbers under the header. Nothing was loaded.";
        return false;
    }

    Series& s = list.CreateDataSet();
    SampleBuffer& b = s.samples;
    const std::size_t count = times.size();
    b.time.resize(count);
    b.altitude.resize(count);
    b.peakMark.resize(count);
    std::copy(times.begin(), times.end(), b.time.begin());
    std::copy(altitudes.begin(), altitudes.end(), b.altitude.begin());
    b.count = static_cast<int>(count);
    list.triggerSet(list.dataSetCount() - 1).DisplayFlag = 0;
    s.altitudeUnit = m.unit;
    if (!m.unitNamed) s.altitudeUnit = nullptr;

    report.foreign = true;
    report.droppedLines += dropped;
    const CsvColumn& tc = layout.columns[static_cast<std::size_t>(m.timeColumn)];
    const CsvColumn& ac = layout.columns[static_cast<std::size_t>(m.altitudeColumn)];
    std::string unitText = m.unitNamed ? unitWord(m.unit) : "unit not named";
    if (m.unitNamed && m.unitScale != 1.0) unitText = "kilometers, read as meters";
    std::string taken = "Read " + std::to_string(count) + " samples from the columns " + quoted(tc.name) +
                        " (time, " + timeUnitWords(m) +
                        (m.timeForm == TimeForm::DateTime ? ", from the first row" : "") + ") and " +
                        quoted(ac.name) + " (altitude, " + unitText + ")" +
                        (layout.columns.size() > 2 ? "; the other columns were left out." : ".");
    if (!layout.named && m == layout.guess)
        taken = "No header names the columns: read " + std::to_string(count) +
                " samples with the time from the first column and the altitude from the second" +
                (layout.rowFields > 2 ? "; the third column holds no peak marks and was left out." : ".");
    if (!tc.timeUnitNamed && m.timeForm == TimeForm::Number && m.secondsPerUnit == 1e-3)
        taken += " The time column does not name its unit; its steps say milliseconds.";
    if (base != 0.0 && m.timeForm == TimeForm::Number) taken += " Its times are read from the first row's.";
    report.notes.push_back(taken);
    if (m == layout.guess && !layout.choice.empty()) report.notes.push_back(layout.choice);
    if (layout.columnOffset > 0)
        report.notes.push_back("Its rows have one field more than the header names; the first field, a row "
                               "number, was left out.");
    if (moreSections)
        report.notes.push_back("The file repeats its header further down; only the rows of its first section "
                               "were read.");
    if (unreadable > 0)
        report.notes.push_back(std::to_string(unreadable) +
                               " line(s) whose time or altitude is not a number were left out.");
    if (otherShape > 0)
        report.notes.push_back(std::to_string(otherShape) + " row(s) with another number of fields than " +
                               std::to_string(fields) + " were left out.");
    if (broken > 0)
        report.notes.push_back(std::to_string(broken) +
                               " row(s) with a quote that never closes were left out.");
    if (layout.rowsBeforeHeader > 0)
        report.notes.push_back(std::to_string(layout.rowsBeforeHeader) +
                               " line(s) above the header or the rows that look like rows were left out.");
    if (absurd > 0)
        report.notes.push_back(std::to_string(absurd) + " row(s) whose time lies more than " +
                               std::to_string(static_cast<long long>(MaxFlightSeconds)) +
                               " s from the first row's were left out.");
    if (notAfter > 0)
        report.notes.push_back(std::to_string(notAfter) +
                               " row(s) have a time that is not after the row before (the times decrease or "
                               "repeat); they are kept in the file's order.");
    if (cut > 0)
        report.notes.push_back(std::to_string(cut) + " line(s) longer than " +
                               std::to_string(MaxForeignLineBytes >> 20) + " MiB were read only that far.");
    return true;
}

} // namespace orvo

// Other programs' CSV files: which columns a header shape gives the time and the altitude, in
// which unit, or why the file is refused; units made one per plot; flights lined up at liftoff.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "data/csvcolumns.h"
#include "data/datafile.h"
#include "data/flightstats.h"
#include "data/liftoffalign.h"

using namespace orvo;

namespace {

// Rows of `columns` values: column c of row r holds c * 1000 + r (so a loaded value tells its
// column), written with sep; a text column ("N0CALL") where textColumn says.
std::string rows(int columns, const std::string& sep, int textColumn = -1,
                 const std::string& text = "N0CALL") {
    std::string out;
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += sep;
            out += c == textColumn ? text : std::to_string(c * 1000 + r);
        }
        out += '\n';
    }
    return out;
}

// A header of 5000 unnamed columns, then the time and the altitude.
std::string wideHeader() {
    std::string out;
    for (int c = 0; c < 5000; ++c)
        out += "c" + std::to_string(c) + ",";
    return out + "time,altitude (m)\n";
}

struct Shape {
    const char* what;
    std::string text;
    int timeColumn; // -1: refused (or, with own, Orvo's own file)
    int altitudeColumn;
    double timeFactor;
    const char* unit;
    const char* refusal; // a part of the refusal message
    bool own = false;    // read as Orvo's own plain sample lines
    double altitudeScale = 1.0;
};

} // namespace

TEST(ForeignCsv, HeaderShapesGiveTheirColumnsAndUnitsOrARefusal) {
    const std::vector<Shape> shapes = {
        {"altimeter: unit in the names", "time_s,altitude_ft,temperature,voltage\n" + rows(4, ",", 2), 0, 1,
         1, "ft", ""},
        {"key-value block, columns in parentheses",
         "Flight: 3\nAltitude units: Feet\nData: (Time, Altitude, Velocity, Temperature (F), Voltage)\n" +
             rows(5, ", "),
         0, 1, 1, "ft", ""},
        {"simulator: comments and a commented header",
         "# Simulation 1\n# Event APOGEE occurred at t=27.782 seconds\n"
         "# Time (s),Altitude (m),Vertical velocity (m/s),Stability\n" +
             rows(4, ","),
         0, 1, 1, "m", ""},
        {"telemetry: height above ground preferred",
         "#serial: 7\n#version,serial,flight,call,time,gps_height,altitude,height\n" + rows(8, ",", 3), 4, 7,
         1, "", ""},
        {"semicolons and milliseconds", "Time (ms);Alt (ft)\n" + rows(2, ";"), 0, 1, 0.001, "ft", ""},
        {"tabs and a trailing foot mark", "t\taltitude'\n" + rows(2, "\t"), 0, 1, 1, "ft", ""},
        {"blanks, unit in parentheses", "Time (s)   Altitude (m)   Pressure (Pa)\n" + rows(3, "  "), 0, 1, 1,
         "m", ""},
        {"altitude before time, metres as a word", "Altitude meters,Elapsed,Speed\n" + rows(3, ","), 1, 0, 1,
         "m", ""},
        {"unit from the header block", "Apogee: 1523'\nTime,Alt\n" + rows(2, ","), 0, 1, 1, "ft", ""},
        {"no header, four columns", rows(4, ","), -1, -1, 1, "", "4 columns"},
        {"header naming neither", "a,b,c,d\n" + rows(4, ","), -1, -1, 1, "",
         "no time column and no altitude column"},
        {"header without an altitude", "time,pressure,temp,volts\n" + rows(4, ","), -1, -1, 1, "",
         "no altitude column"},
        {"header without a time", "alt,pressure\n" + rows(2, ","), -1, -1, 1, "", "no time column"},
        {"a header but no numbers under it", "time,altitude\nx,y\n1,n/a\n", -1, -1, 1, "", "not one row"},
        {"no header, a third column that holds no peak marks", rows(3, ","), 0, 1, 1, "", ""},
        {"no header, two blank-separated columns", "Flight log\n" + rows(2, " "), 0, 1, 1, "", ""},
        {"a lone number line in the header block", "3 flights\nData: time, height (ft)\n" + rows(2, ","), 0,
         1, 1, "ft", ""},
        {"Orvo's data set file named like a header",
         "#time,altitude\n#\n#Altitude (m)\n#\n#\n#\n#0,0,20,20,0\n0, 1, 0\n1, 2, 1\n", -1, -1, 1, "", "",
         true},
        {"Orvo's plain sample lines", "0.5, 12.25, 0\n1.0, 13, 1\n1.5, 14, 0\n", -1, -1, 1, "", "", true},
        {"plain lines under a line of junk", "garbage\n0.5, 12.25, 0\n1.0, 13, 1\n", -1, -1, 1, "", "", true},
        // Quotes, and rows of another shape than the header.
        {"a quoted separator in a note column", "time,\"note\",altitude (m)\n" + rows(3, ",", 1, "\"21,5\""),
         0, 2, 1, "m", ""},
        {"an unnamed row number before the named columns", "time,altitude (m)\n" + rows(3, ","), 1, 2, 1, "m",
         ""},
        {"rows with more fields than the header", "time,alt (m)\n" + rows(4, ","), -1, -1, 1, "", "4 fields"},
        {"a quoted header with tabs", "\"Time (s)\"\t\"Alt (m)\"\n" + rows(2, "\t"), 0, 1, 1, "m", ""},
        // The time columns instruments write.
        {"ts", "ts,altitude_m\n" + rows(2, ","), 0, 1, 1, "m", ""},
        {"time_us", "time_us,Altitude [m]\n" + rows(2, ","), 0, 1, 1e-6, "m", ""},
        {"Time (us)", "Time (us);Altitude (ft)\n" + rows(2, ";"), 0, 1, 1e-6, "ft", ""},
        {"Time (min), height in km", "Time (min),Height (km)\n" + rows(2, ","), 0, 1, 60, "m", "", false,
         1000},
        {"time aprox (s)", "time aprox (s),altitude (Ft-AGL)\n" + rows(2, ","), 0, 1, 1, "ft", ""},
        {"time (approx)", "time (approx),alt m AGL\n" + rows(2, ","), 0, 1, 1, "m", ""},
        {"a time unit not known", "time(not s),altitude (m)\n" + rows(2, ","), -1, -1, 1, "",
         "not one Orvo knows"},
        // The altitude a flyer means: barometric over GPS, whatever the order and the wording.
        {"GPS first, barometer after", "GPS altitude,time,barometer_altitude (m)\n" + rows(3, ","), 1, 2, 1,
         "m", ""},
        {"gps_alt and baro altitude", "time,gps_alt,baro altitude [ft]\n" + rows(3, ","), 0, 2, 1, "ft", ""},
        {"pressure altitude in ft MSL", "time,GPS Altitude (m),Pressure Altitude (ft MSL)\n" + rows(3, ","),
         0, 2, 1, "ft", ""},
        {"a plain altitude beside GPS columns",
         "time,latitude,longitude,altitude,baro_alt (m)\n" + rows(5, ","), 0, 4, 1, "m", ""},
        {"time and altitude past the first 4096 names", wideHeader() + rows(5002, ","), -1, -1, 1, "",
         "first 4096 columns"},
        {"a plain altitude in [m] AGL", "time,gps_height [m],altitude [m AGL]\n" + rows(3, ","), 0, 2, 1, "m",
         ""},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        SeriesList list;
        PlotFileHeader header;
        const LoadReport r = loadDataText(shape.text, list, header);
        if (shape.own) {
            EXPECT_FALSE(r.foreign);
            ASSERT_EQ(r.setsAdded, 1);
            EXPECT_EQ(list.dataSet(0).peakMarkCount(), 1); // its own peak marks are read
            continue;
        }
        if (shape.timeColumn < 0) {
            EXPECT_TRUE(r.noData);
            EXPECT_EQ(list.dataSetCount(), 0); // nothing half loaded
            EXPECT_NE(r.refused.find(shape.refusal), std::string::npos) << r.refused;
            EXPECT_NE(r.refused.find("needs"), std::string::npos) << r.refused;
            continue;
        }
        ASSERT_TRUE(r.foreign);
        ASSERT_EQ(list.dataSetCount(), 1);
        const Series& s = list.dataSet(0);
        ASSERT_EQ(s.samples.count, 6);
        for (int i = 0; i < 6; ++i) {
            const auto at = static_cast<std::size_t>(i);
            EXPECT_DOUBLE_EQ(s.samples.time[at], (shape.timeColumn * 1000 + i) * shape.timeFactor);
            EXPECT_EQ(s.samples.altitude[at], (shape.altitudeColumn * 1000 + i) * shape.altitudeScale);
        }
        EXPECT_EQ(s.peakMarkCount(), 0);
        EXPECT_EQ(list.triggerSet(0).samples.count, 0);
        EXPECT_EQ(s.altitudeUnit, altitudeUnitOfShortName(shape.unit));
    }
}

TEST(ForeignCsv, BadRowsAreLeftOutAndASecondUnitIsConvertedIntoThePlots) {
    SeriesList list;
    PlotFileHeader header;
    header.yLabel = "Altitude (Feet)";
    // A metres file first: the plot takes its unit and the label follows.
    LoadReport r =
        loadDataText("Time (s),Altitude (m)\n0,10\n0.5,n/a\n# event\n1,20.5\n# Time (s),Altitude (m)\n0,5\n",
                     list, header);
    ASSERT_EQ(list.dataSetCount(), 1);
    EXPECT_EQ(list.dataSet(0).samples.count, 2);
    EXPECT_EQ(header.yLabel, "Altitude (Meters)");
    EXPECT_EQ(r.notes.size(), 3u); // the columns taken, the second section, the row left out

    // A feet file after it is converted into metres, and the load says so.
    r = loadDataText("time,altitude_ft\n0,100\n1,1000\n", list, header);
    ASSERT_EQ(list.dataSetCount(), 2);
    const Series& feet = list.dataSet(1);
    EXPECT_EQ(feet.altitudeUnit, altitudeUnitOfCode(2));
    EXPECT_NEAR(feet.samples.altitude[1], 304.8, 1e-9);
    bool said = false;
    for (const std::string& note : r.notes)
        said = said || note.find("converted from feet to meters") != std::string::npos;
    EXPECT_TRUE(said);

    // Orvo's own data set file in feet loaded into the metres plot is converted too.
    SeriesList other;
    other.CreateDataSet();
    PlotFileHeader feetPlot;
    feetPlot.yLabel = "Altitude (feet)";
    std::string block;
    WriteSetBlock(other, 0, feetPlot, block);
    loadDataText(block, list, header);
    EXPECT_NEAR(list.dataSet(2).samples.altitude[20], 20 * 0.3048, 1e-9);
    EXPECT_EQ(header.yLabel, "Altitude (Meters)");

    // The same file opened into a plot whose sets name no unit gives the plot its unit, unchanged.
    SeriesList plain;
    plain.CreateDataSet();
    PlotFileHeader fresh;
    fresh.yLabel = "Height (meters)";
    loadDataText(block, plain, fresh);
    EXPECT_EQ(plain.dataSet(1).samples.altitude[20], 20.0);
    EXPECT_EQ(fresh.yLabel, "Height (feet)");
}

TEST(ForeignCsv, AlignAtLiftoffShiftsEachFlightAndNamesTheSetsWithoutOne) {
    SeriesList list;
    // Two flights with liftoff at 2 s and 5 s, and a flat set.
    for (double pad : {2.0, 5.0, -1.0}) {
        Series& s = list.CreateDataSet();
        s.samples.count = 400;
        for (int i = 0; i < 400; ++i) {
            const double t = i * 0.05;
            const double up = pad < 0 || t < pad ? 0.0 : std::min(500.0, 60.0 * (t - pad) * (t - pad));
            s.samples.time[static_cast<std::size_t>(i)] = t;
            s.samples.altitude[static_cast<std::size_t>(i)] = up;
        }
    }
    list.triggerSet(1).samples.count = 1;
    list.triggerSet(1).samples.time[0] = 6.0;
    const LiftoffAlignment a = alignAtLiftoff(list);
    EXPECT_EQ(a.shifted, 2);
    ASSERT_EQ(a.withoutLiftoff.size(), 1u);
    EXPECT_NE(a.message().find(list.dataSet(2).name), std::string::npos);
    for (int n = 0; n < 2; ++n)
        EXPECT_NEAR(computeFlightStatistics(list.dataSet(n)).liftoffTime, 0.0, 1e-9) << n;
    const double shift = list.dataSet(1).samples.time[0];
    EXPECT_LT(shift, -4.5);
    EXPECT_DOUBLE_EQ(list.triggerSet(1).samples.time[0], 6.0 + shift); // triggers move with their set
    EXPECT_EQ(list.dataSet(2).samples.time[0], 0.0);                   // no liftoff: left alone
}

namespace {

// Loads text and gives its one set's times (empty when nothing was added).
std::vector<double> timesOf(const std::string& text, LoadReport* report = nullptr,
                            const LoadOptions& options = {}) {
    SeriesList list;
    PlotFileHeader header;
    const LoadReport r = loadDataText(text, list, header, options);
    if (report) *report = r;
    std::vector<double> t;
    if (list.dataSetCount() == 1)
        for (int i = 0; i < list.dataSet(0).samples.count; ++i)
            t.push_back(list.dataSet(0).samples.time[static_cast<std::size_t>(i)]);
    return t;
}

bool saysSomething(const LoadReport& r, const std::string& part) {
    for (const std::string& n : r.notes)
        if (n.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(ForeignCsv, DateTimesAndTimeStampsAreSecondsFromTheFirstRow) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<double> times;
    };
    const std::vector<Case> cases = {
        {"a logger's dashed date and time",
         "time,altitude (m)\n2024-3-23--13-41-38-830,1\n2024-3-23--13-41-39-080,2\n",
         {0.0, 0.25}},
        {"ISO 8601",
         "Date Time;Alt (ft)\n2024-03-23T13:41:38.830;1\n2024-03-23T13:41:40.330;2\n",
         {0.0, 1.5}},
        {"times of day past midnight", "UTC,height (m)\n23:59:59.5,1\n00:00:00.5,2\n", {0.0, 1.0}},
        {"a time stamp in milliseconds",
         "timestamp,altitude (m)\n1000,1\n1010,2\n1020,3\n1030,4\n1040,5\n1050,6\n",
         {1.0, 1.01, 1.02, 1.03, 1.04, 1.05}},
        {"seconds since 1970", "ts,altitude (m)\n1711201298.5,1\n1711201299.0,2\n", {0.0, 0.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<double> t = timesOf(c.text);
        ASSERT_EQ(t.size(), c.times.size());
        for (std::size_t i = 0; i < t.size(); ++i)
            EXPECT_NEAR(t[i], c.times[i], 1e-6) << i;
    }
}

TEST(ForeignCsv, EveryRowLeftOutIsCountedAndOddTimesAreNoted) {
    LoadReport r;
    // A row with a field more than the header, a time of 1e308, a repeated and a decreasing time.
    const std::vector<double> t = timesOf("time,alt (m)\n0,1\n1,2,7\n1e308,3\n2,4\n2,5\n1.5,6\n", &r);
    EXPECT_EQ(t, (std::vector<double>{0, 2, 2, 1.5}));
    EXPECT_TRUE(saysSomething(r, "1 row(s) with another number of fields"));
    EXPECT_TRUE(saysSomething(r, "1 row(s) whose time lies more than"));
    EXPECT_TRUE(saysSomething(r, "2 row(s) have a time that is not after"));
    // A row above the header is not read, and said.
    EXPECT_EQ(timesOf("# log\n0.1,5\ntime,alt (ft)\n0,1\n1,2\n", &r).size(), 2u);
    EXPECT_TRUE(saysSomething(r, "1 line(s) above the header"));

    // UTF-16 text is refused as such, with nothing added.
    const std::string utf16("\xFF\xFEt\0i\0m\0e\0,\0a\0l\0t\0\n\0", 20);
    EXPECT_TRUE(timesOf(utf16, &r).empty());
    EXPECT_TRUE(r.noData);
    EXPECT_NE(r.refused.find("UTF-16"), std::string::npos);
}

TEST(ForeignCsv, TheFlyersChoiceOfColumnsAndUnitOverridesTheGuess) {
    const std::string text = "time,gps_alt,baro_alt,temp\n0,100,10,20\n1,200,20,21\n";
    struct Case {
        CsvChoice choice;
        double secondAltitude; // -1: refused
        const char* unit;
    };
    const std::vector<Case> cases = {
        {{}, 20, ""},                                        // the guess: the barometer's, unit not named
        {{"", "gps_alt", nullptr}, 200, ""},                 // by name
        {{"1", "4", altitudeUnitOfShortName("m")}, 21, "m"}, // by number, with a unit
        {{"", "GPS_ALT", altitudeUnitOfShortName("ft")}, 200, "ft"},
        {{"", "pressure", nullptr}, -1, ""},
        {{"time", "time", nullptr}, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice.altitudeColumn);
        LoadOptions options;
        options.choice = &c.choice;
        SeriesList list;
        PlotFileHeader header;
        const LoadReport r = loadDataText(text, list, header, options);
        if (c.secondAltitude < 0) {
            EXPECT_TRUE(r.noData);
            EXPECT_EQ(list.dataSetCount(), 0);
            continue;
        }
        ASSERT_EQ(list.dataSetCount(), 1);
        EXPECT_EQ(list.dataSet(0).samples.altitude[1], c.secondAltitude);
        EXPECT_EQ(list.dataSet(0).altitudeUnit, altitudeUnitOfShortName(c.unit));
        EXPECT_EQ(r.unitAssumed, *c.unit == '\0');
    }
    // Columns past those whose names are looked at are still chosen by name.
    const CsvChoice wide{"time", "Altitude (m)", nullptr};
    LoadOptions options;
    options.choice = &wide;
    SeriesList list;
    PlotFileHeader header;
    const LoadReport r = loadDataText(wideHeader() + rows(5002, ","), list, header, options);
    ASSERT_EQ(list.dataSetCount(), 1) << r.refused;
    EXPECT_EQ(list.dataSet(0).samples.altitude[1], 5001 * 1000 + 1);
}

// Numbers are read to the same double as from_chars reads them, whether short decimals or ones it
// alone can read (many digits, an exponent), and with the same end: a unit after the number is
// allowed, other text makes the row unreadable.
TEST(ForeignCsv, NumbersReadToTheDoubleFromCharsGives) {
    struct Case {
        const char* field;
        const char* number; // what from_chars is given; nullptr: the row is left out
    };
    const std::vector<Case> cases = {
        {"-812.25", "-812.25"},
        {"0.1", "0.1"},
        {"123456789012345", "123456789012345"},
        {"0.000000000000007", "0.000000000000007"},
        {"1234567890123456.5", "1234567890123456.5"},
        {"9007199254740993", "9007199254740993"},
        {"5.", "5."},
        {".5", ".5"},
        {"-0.0", "-0.0"},
        {"+4.5", "4.5"},
        {"1.5e3", "1.5e3"},
        {"2.5E-2", "2.5E-2"},
        {"33.3ft", "33.3"},
        {"7e", "7"},
        {"1.2.3", nullptr},
        {"-", nullptr},
        {".", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string text = std::string("time,altitude (m)\n0,1\n1,") + c.field + "\n2,2\n";
        SeriesList list;
        PlotFileHeader header;
        const LoadReport report = loadDataText(text, list, header);
        ASSERT_TRUE(report.foreign);
        const SampleBuffer& b = list.dataSet(0).samples;
        if (!c.number) {
            EXPECT_EQ(b.count, 2);
            continue;
        }
        ASSERT_EQ(b.count, 3);
        const std::string_view n(c.number);
        double expected = 0.0;
        ASSERT_EQ(std::from_chars(n.data(), n.data() + n.size(), expected).ec, std::errc{});
        EXPECT_EQ(b.altitude[1], expected);
        EXPECT_EQ(std::signbit(b.altitude[1]), std::signbit(expected));
    }
}

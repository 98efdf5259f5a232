// Other programs' CSV files: which columns a header shape gives the time and the altitude, in
// which unit, or why the file is refused; units made one per plot; flights lined up at liftoff.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/csvcolumns.h"
#include "data/datafile.h"
#include "data/flightstats.h"
#include "data/liftoffalign.h"

using namespace orvo;

namespace {

// Rows of `columns` values: column c of row r holds c * 1000 + r (so a loaded value tells its
// column), written with sep; a text column ("N0CALL") where textColumn says.
std::string rows(int columns, const std::string& sep, int textColumn = -1) {
    std::string out;
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += sep;
            out += c == textColumn ? std::string("N0CALL") : std::to_string(c * 1000 + r);
        }
        out += '\n';
    }
    return out;
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
            EXPECT_EQ(s.samples.altitude[at], shape.altitudeColumn * 1000 + i);
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

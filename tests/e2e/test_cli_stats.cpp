// `orvo-cli show --stats` on files of emulated flights, a flat set, a flight cut off in the air
// and a one-sample set: the summary lines stay as they were and each set gets its figures.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "clirun.h"
#include "sim/module.h"

namespace {

// A plain sample file ("time, altitude, peak mark" lines) of the emulator's flight, cut after
// keep samples when keep > 0.
QString writeFlight(const QTemporaryDir& dir, const QString& name, std::uint32_t seed, int keep,
                    orvo::sim::FlightTruth* truth) {
    orvo::sim::FlightOptions o;
    o.seed = seed;
    QByteArray text;
    int i = 0;
    for (std::uint16_t w : orvo::sim::generateFlightWords(o, truth)) {
        if ((w >> 8) == (orvo::sim::TriggerMarker >> 8)) continue;
        if (keep > 0 && i >= keep) break;
        text += QByteArray::number(i * 0.1, 'f', 4) + ", " +
                QByteArray::number(static_cast<std::int16_t>(w)) + ", 0\n";
        ++i;
    }
    return writeFile(dir, name, text);
}

double field(const QString& line, const QString& name) {
    const auto m = QRegularExpression(" " + name + "=([-0-9.]+)").match(line);
    return m.hasMatch() ? m.captured(1).toDouble() : -1e9;
}

} // namespace

TEST(CliStats, ShowWithStatsAddsOneLineOfFiguresPerSet) {
    QTemporaryDir dir;
    orvo::sim::FlightTruth whole, cut;
    const QString flight = writeFlight(dir, "flight.csv", 3, 0, &whole);
    orvo::sim::FlightOptions cutOptions;
    cutOptions.seed = 11;
    orvo::sim::generateFlightWords(cutOptions, &cut);
    // Five seconds after apogee the recording ends.
    const QString cutFile =
        writeFlight(dir, "cut.csv", 11, static_cast<int>(cut.apogeeTime * 10) + 50, nullptr);
    QByteArray flatText;
    for (int i = 0; i < 100; ++i)
        flatText += QByteArray::number(i) + ", 250, 0\n";
    const QString flat = writeFile(dir, "flat.csv", flatText);
    const QString one = writeFile(dir, "one.csv", "0.0, 17, 0\n");

    // Without --stats the output is what it always was.
    CliRun plain = cli({"show", flight});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.count('\n'), 1);

    CliRun r = cli({"show", "--stats", flight, cutFile, flat, one});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << r.out.toStdString();
    EXPECT_EQ(lines[0], plain.out.trimmed());

    const QString& s = lines[1];
    EXPECT_TRUE(s.startsWith(flight + ": Data000: stats ground=")) << s.toStdString();
    const double feet = whole.unitsPerMetre;
    EXPECT_NEAR(field(s, "apogee"), whole.apogee * feet, 0.01 * whole.apogee * feet + 3);
    EXPECT_NEAR(field(s, "liftoff"), whole.liftoffTime, 0.35);
    EXPECT_NEAR(field(s, "flight_time"), whole.landingTime - whole.liftoffTime, 0.9);
    EXPECT_NEAR(field(s, "landing_descent"), whole.mainRate * feet, 0.1 * whole.mainRate * feet);
    EXPECT_TRUE(s.endsWith("rate_unit=units/s")) << s.toStdString();
    // Drogue and main, beside the other figures.
    EXPECT_NEAR(field(s, "drogue_descent"), whole.drogueRate * feet, 0.1 * whole.drogueRate * feet);
    EXPECT_NEAR(field(s, "main_descent"), whole.mainRate * feet, 0.1 * whole.mainRate * feet);
    EXPECT_NEAR(field(s, "main_altitude"), whole.mainAltitude * feet, 0.1 * whole.mainAltitude * feet);
    EXPECT_NEAR(field(s, "main_time"), whole.mainTime, 1.0);
    EXPECT_TRUE(lines[5].contains(" main_descent=- main_altitude=- main_time=- ")) << lines[5].toStdString();

    EXPECT_TRUE(lines[3].contains(" landing=- flight_time=- ")) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith("not_a_flight=still_in_the_air_at_its_end"));
    EXPECT_NEAR(field(lines[3], "apogee"), cut.apogee * feet, 0.02 * cut.apogee * feet + 3);
    EXPECT_TRUE(lines[5].contains(" liftoff=- apogee=250.0 ")) << lines[5].toStdString();
    EXPECT_TRUE(lines[5].endsWith("not_a_flight=flat"));
    EXPECT_TRUE(lines[7].contains("stats ground=- liftoff=- apogee=17.0 apogee_time=0.00 "))
        << lines[7].toStdString();
    EXPECT_TRUE(lines[7].endsWith("not_a_flight=too_short"));
}

TEST(CliStats, EachSetsRatesAreInItsOwnUnitAndADropoutIsNoLanding) {
    QTemporaryDir dir;
    orvo::sim::FlightTruth truth;
    QByteArray samples, broken;
    orvo::sim::FlightOptions o;
    o.seed = 3;
    int i = 0;
    for (std::uint16_t w : orvo::sim::generateFlightWords(o, &truth)) {
        if ((w >> 8) == (orvo::sim::TriggerMarker >> 8)) continue;
        const double t = i++ * 0.1;
        const QByteArray time = QByteArray::number(t, 'f', 4) + ", ";
        samples += time + QByteArray::number(static_cast<std::int16_t>(w)) + ", 0\r\n";
        // The module browned out for four samples half way down.
        const bool out = t >= (truth.apogeeTime + truth.landingTime) / 2 &&
                         t < (truth.apogeeTime + truth.landingTime) / 2 + 0.4;
        broken +=
            time + (out ? QByteArray("0") : QByteArray::number(static_cast<std::int16_t>(w))) + ", 0\r\n";
    }
    // Each set block names its altitude unit; the plot's own label is another set's.
    auto block = [](const char* name, const char* label, const QByteArray& body) {
        return QByteArray("! 255, 1, 255, 0, 0, 0\r\n#") + name + "\r\n#Time (Seconds)\r\n#" + label +
               "\r\n#\r\n#\r\n#\r\n#0,0,100,1000,0\r\n" + body;
    };
    const QString plot = writeFile(
        dir, "plot.plt",
        "Orvo Plot\r\n#t\r\n#Time (Seconds)\r\n#Altitude (Feet)\r\n#\r\n#\r\n#\r\n#0,0,100,1000\r\n" +
            block("Metres", "Altitude (meters)", samples) + block("Broken", "Altitude (feet)", broken) +
            block("Plain", "Height", samples));
    CliRun r = cli({"show", "--stats", plot});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << r.out.toStdString();
    EXPECT_TRUE(lines[1].endsWith("rate_unit=m/s")) << lines[1].toStdString();
    EXPECT_TRUE(lines[3].endsWith("rate_unit=ft/s")) << lines[3].toStdString();
    EXPECT_TRUE(lines[5].endsWith("rate_unit=units/s")) << lines[5].toStdString();
    // The dropout changes neither the landing nor the rates.
    for (const char* name : {"landing", "flight_time", "max_descent", "landing_descent"})
        EXPECT_EQ(field(lines[3], name), field(lines[1], name)) << name;
    EXPECT_NEAR(field(lines[3], "landing"), truth.landingTime, 0.5);

    // The table forms: one row per set, the same figures; the text table's numbers carry their
    // units, the CSV names them in its unit columns.
    CliRun csv = cli({"show", "--stats", "--format", "csv", plot});
    ASSERT_EQ(csv.status, 0) << csv.err.toStdString();
    const QStringList rows = csv.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4) << csv.out.toStdString();
    const QStringList head = rows[0].split(',');
    const QStringList metres = rows[1].split(',');
    ASSERT_EQ(metres.size(), head.size());
    EXPECT_EQ(metres[head.indexOf("unit")], "m");
    EXPECT_EQ(rows[3].split(',')[head.indexOf("unit")], "units");
    for (const char* name : {"apogee", "flight_time", "drogue_descent", "main_altitude", "main_time"})
        EXPECT_EQ(metres[head.indexOf(name)].toDouble(), field(lines[1], name)) << name;

    CliRun text = cli({"show", "--stats", "--format", "table", plot});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    const QStringList table = text.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), 4) << text.out.toStdString();
    const QString apogee = QString::number(field(lines[3], "apogee"), 'f', 1);
    EXPECT_TRUE(table[2].contains(" " + apogee + " ft ")) << table[2].toStdString();
    EXPECT_TRUE(table[1].contains(" m/s ")) << table[1].toStdString();
    EXPECT_EQ(cli({"show", "--format", "csv", plot}).status, 2);
}

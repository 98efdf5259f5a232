// Whole files of other instruments' shapes through orvo-cli: `show --stats` reads each as one set
// named after its file (no invented peak marks, its own rate unit) or refuses it, and `convert
// --align-liftoff` writes one plot in one unit with every liftoff at 0.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "clirun.h"
#include "sim/module.h"

namespace {

struct Flight {
    std::vector<double> time, metres;
    orvo::sim::FlightTruth truth;
    double highest = 0;
};

// The emulator's flight in metres, 10 samples a second.
Flight flight(std::uint32_t seed) {
    Flight f;
    orvo::sim::FlightOptions o;
    o.seed = seed;
    o.units = 2;
    int i = 0;
    for (std::uint16_t w : orvo::sim::generateFlightWords(o, &f.truth)) {
        if ((w >> 8) == (orvo::sim::TriggerMarker >> 8)) continue;
        f.time.push_back(i++ * 0.1);
        f.metres.push_back(static_cast<std::int16_t>(w));
        f.highest = std::max(f.highest, f.metres.back());
    }
    return f;
}

QByteArray num(double v, int decimals = 2) {
    return QByteArray::number(v, 'f', decimals);
}

double field(const QString& line, const QString& name) {
    const auto m = QRegularExpression(" " + name + "=([-0-9.]+)").match(line);
    return m.hasMatch() ? m.captured(1).toDouble() : -1e9;
}

class CliCompare : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        a = flight(3);
        b = flight(5);
        c = flight(8);
        // An altimeter in feet with a temperature column that carries its unit.
        QByteArray text = "time_s,altitude_ft,temperature,voltage\r\n";
        for (std::size_t i = 0; i < a.time.size(); ++i)
            text += num(a.time[i]) + "," + num(a.metres[i] / 0.3048, 0) + ",76.7F,7.9\r\n";
        altimeter = writeFile(dir, "altimeter.csv", text);
        // A simulator in metres: comment lines, a commented header, an event among the rows.
        text =
            "# Simulation 1\n# 1 warning: large fin\n# Time (s),Altitude (m),Vertical velocity (m/s),Mach\n";
        for (std::size_t i = 0; i < b.time.size(); ++i) {
            if (i == 50) text += "# Event BURNOUT occurred at t=5.0 seconds\n";
            text += num(b.time[i], 3) + "," + num(b.metres[i], 3) + ",0,0\n";
        }
        simulation = writeFile(dir, "simulation.csv", text);
        // A header block of "Key: value" lines, the columns in the "Data:" line.
        text = "Serial: 1234\nAltitude units: feet\nData: (Time, Altitude, Velocity, Temperature (F), "
               "Voltage)\n";
        for (std::size_t i = 0; i < c.time.size(); ++i)
            text += num(c.time[i]) + ", " + num(c.metres[i] / 0.3048, 1) + ", 3, 71, 8.0\n";
        backup = writeFile(dir, "backup.csv", text);
    }

    QTemporaryDir dir;
    Flight a, b, c;
    QString altimeter, simulation, backup;
};

} // namespace

TEST_F(CliCompare, ShowReadsEachShapeAsOneSetInItsOwnUnitOrRefusesIt) {
    struct Expect {
        QString path;
        const char* name;
        const Flight& f;
        double unitsPerMetre;
        const char* rateUnit;
    } expects[] = {{altimeter, "altimeter", a, 1 / 0.3048, "ft/s"},
                   {simulation, "simulation", b, 1, "m/s"},
                   {backup, "backup", c, 1 / 0.3048, "ft/s"}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.name);
        const CliRun r = cli({"show", "--stats", e.path});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
        const QString summary = QString("%1: %2: %3 samples,").arg(e.path, e.name).arg(e.f.time.size());
        EXPECT_TRUE(lines[0].startsWith(summary)) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].endsWith(" 0 trigger marks, 0 climb marks, 0 peak marks"))
            << lines[0].toStdString();
        const double highest =
            QRegularExpression("highest altitude ([-0-9.]+)").match(lines[0]).captured(1).toDouble();
        EXPECT_NEAR(highest, e.f.highest * e.unitsPerMetre, 0.5); // feet written whole
        EXPECT_TRUE(lines[1].endsWith(QString("rate_unit=") + e.rateUnit)) << lines[1].toStdString();
        EXPECT_NEAR(field(lines[1], "liftoff"), e.f.truth.liftoffTime, 0.35);
        EXPECT_TRUE(r.err.contains("the other columns were left out")) << r.err.toStdString();
    }

    // Rows of four numbers without a header: refused, saying what it found and what it needs.
    QByteArray rows;
    for (int i = 0; i < 50; ++i)
        rows += QByteArray::number(i * 0.05) + "," + QByteArray::number(i) + ",76.7,7.9\n";
    const QString bare = writeFile(dir, "bare.csv", rows);
    const CliRun r = cli({"show", "--stats", bare});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("4 columns")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("needs a header that names a time column")) << r.err.toStdString();

    // The same rows with the columns and the unit given: read, in that unit.
    const CliRun chosen = cli({"show", "--time-column", "1", "--altitude-column", "2", "--unit", "m", bare});
    EXPECT_EQ(chosen.status, 0) << chosen.err.toStdString();
    EXPECT_TRUE(chosen.out.contains("50 samples")) << chosen.out.toStdString();
    EXPECT_FALSE(chosen.err.contains("--unit")) << chosen.err.toStdString();
    // Without a unit the assumed one is said, with how to choose another; a wrong option is a usage error.
    const CliRun assumed = cli({"show", "--time-column", "1", "--altitude-column", "2", bare});
    EXPECT_EQ(assumed.status, 0);
    EXPECT_TRUE(assumed.err.contains("--unit ft, yd or m")) << assumed.err.toStdString();
    EXPECT_EQ(cli({"show", "--unit", "furlongs", bare}).status, 2);
    EXPECT_EQ(cli({"show", "--altitude-column", "nope", bare}).status, 1);
}

TEST_F(CliCompare, ConvertAlignLiftoffWritesOnePlotInOneUnitWithEveryLiftoffAtZero) {
    const QString plot = dir.filePath("plot.csv");
    const CliRun r = cli({"convert", simulation, altimeter, backup, "--align-liftoff", "-o", plot});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("converted from feet to meters")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Lined up 3 data set(s)")) << r.err.toStdString();

    // The plot's limits are the view of all three flights, so the window opens it showing them.
    QFile written(plot);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> limits = written.readAll().split('\n').value(7).mid(1).split(',');
    ASSERT_EQ(limits.size(), 4);
    EXPECT_LE(limits[0].toDouble(), 0.0);
    EXPECT_GE(limits[3].toDouble(), 0.95 * b.truth.apogee);

    const CliRun shown = cli({"show", "--stats", plot});
    ASSERT_EQ(shown.status, 0) << shown.err.toStdString();
    const QStringList lines = shown.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << shown.out.toStdString();
    const Flight* flights[3] = {&b, &a, &c};
    for (int n = 0; n < 3; ++n) {
        const QString& stats = lines[2 * n + 1];
        EXPECT_TRUE(stats.endsWith("rate_unit=m/s")) << stats.toStdString();
        EXPECT_NEAR(field(stats, "liftoff"), 0.0, 0.01) << stats.toStdString();
        EXPECT_NEAR(field(stats, "apogee"), flights[n]->truth.apogee, 0.03 * flights[n]->truth.apogee + 2);
    }

    // The same through edit, on the plot file just written: already lined up, nothing moves.
    const QString again = dir.filePath("again.csv");
    const CliRun edited = cli({"edit", plot, "--align-liftoff", "-o", again});
    ASSERT_EQ(edited.status, 0) << edited.err.toStdString();
    EXPECT_TRUE(edited.out.contains("Lined up 3 data set(s)")) << edited.out.toStdString();
}

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <utility>
#include <vector>

#include "app/settings.h"

namespace {

struct Store {
    QTemporaryDir dir;
    QSettings settings{dir.filePath("orvo.ini"), QSettings::IniFormat};
    void set(const char* name, const QVariant& v) {
        settings.setValue(QStringLiteral("Settings/") + name, v);
    }
};

} // namespace

TEST(Settings, ReadingStopsAtTheFirstMissingValueAndTheRestKeepTheirDefaults) {
    const struct {
        const char* name;
        std::vector<std::pair<const char*, QVariant>> stored;
        int valuesRead, comPort;
    } cases[] = {
        {"first run", {}, 0, 0},
        // "Top" comes after the missing "Left": never read.
        {"gap", {{"ComPort", 2}, {"BaudRate", 1}, {"Top", 77}, {"PrtWidth", 9.5}}, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Store s;
        for (const auto& [name, value] : c.stored)
            s.set(name, value);
        const StoredSettings v = LoadSettings(s.settings);
        EXPECT_EQ(v.valuesRead, c.valuesRead);
        EXPECT_EQ(v.ComPort, c.comPort);
        EXPECT_EQ(v.BaudRate, 5); // whatever was stored
        EXPECT_EQ(v.Top, 152);
        EXPECT_EQ(v.PrtWidth, 7.0);
        EXPECT_EQ(v.InfoColor, 0x0000FF);
        EXPECT_EQ(v.Interval, 100);
        EXPECT_EQ(v.ShowInfo, 1);
        EXPECT_FALSE(v.positionRead());
    }
}

TEST(Settings, AFullStoreRoundTripsAndOnlyAMissingIntervalResets) {
    Store s;
    StoredSettings w;
    w.ComPort = 1;
    w.BaudRate = 3;
    w.Left = 10;
    w.Top = 20;
    w.ShowPoints = 1;
    w.PrtWidth = 6.25;
    w.PrtHeight = 2.5;
    w.GridColor = 0x102030;
    w.AutoStartSec = 0;
    w.ExportType = 3;
    w.Interval = 0xFFFF;
    SaveSettings(s.settings, w);
    StoredSettings r = LoadSettings(s.settings);
    EXPECT_EQ(r.valuesRead, 29);
    EXPECT_EQ(r.BaudRate, 3);
    EXPECT_EQ(r.PrtWidth, 6.25);
    EXPECT_EQ(r.GridColor, 0x102030);
    EXPECT_EQ(r.ExportType, 3);
    EXPECT_EQ(r.Interval, 0xFFFF);

    s.settings.remove("Settings/Interval");
    r = LoadSettings(s.settings);
    EXPECT_EQ(r.valuesRead, 28);
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.ShowPoints, 1);
    EXPECT_EQ(r.ExportType, 3);
    EXPECT_EQ(r.BaudRate, 5);
    EXPECT_EQ(r.PrtWidth, 7.0);
    EXPECT_EQ(r.GridColor, 0x808080);
    EXPECT_EQ(r.Interval, 100);
}

TEST(Settings, TheLegendIsKeptBesideTheTableAndAnOlderStoreStillReadsInFull) {
    Store s;
    StoredSettings w;
    SaveSettings(s.settings, w);
    EXPECT_FALSE(s.settings.contains("Settings/ShowLegend")); // as a store before it was
    StoredSettings r = LoadSettings(s.settings);
    EXPECT_EQ(r.valuesRead, StoredSettingsCount);
    EXPECT_EQ(r.ShowLegend, 1);
    r.ShowLegend = 0;
    SaveSettings(s.settings, r);
    r = LoadSettings(s.settings);
    EXPECT_EQ(r.valuesRead, StoredSettingsCount);
    EXPECT_EQ(r.ShowLegend, 0);
    EXPECT_TRUE(r.showLegendRead);
}

TEST(Settings, AValueOfTheWrongTypeStopsReading) {
    Store s;
    s.set("ComPort", "COM3");
    const StoredSettings v = LoadSettings(s.settings);
    EXPECT_EQ(v.valuesRead, 0);
    EXPECT_EQ(v.ComPort, 0);
}

TEST(Settings, LeadingIntegerRule) {
    EXPECT_EQ(leadingInteger("42abc"), 42);
    EXPECT_EQ(leadingInteger("  -17"), -17);
    EXPECT_EQ(leadingInteger("+8"), 8);
    EXPECT_EQ(leadingInteger("abc"), 0);
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_EQ(leadingInteger("-"), 0);
    EXPECT_EQ(leadingInteger("4294967297"), 1); // cut to 32 bits
}

// A store as the program has always written it: every key, its type, its place. It loads to the
// same values and is written back key for key.
TEST(Settings, AnExistingStoreLoadsTheSameAndIsWrittenBackUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("orvo.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\nComPort=2\nBaudRate=3\nLeft=40\nTop=50\nSimulateTarget=1\nShowPoints=1\n"
                "ShowInfo=0\nShowBackground=1\nShowAvgROC=1\nBlankPart=1\nRevTrig=1\nTriggered=1\n"
                "PrtWidth=6.5\nPrtHeight=2.25\nPrtColor=1\nBGColor=1122867\nGridColor=4473924\n"
                "ScaleColor=5592405\nLabelColor=6710886\nInfoColor=7829367\nAutoStart=2\n"
                "AutoStartSec=11\nAutoStartAltitude=21\nAutoStop=1\nAutoStopSec=61\nAutoStopAltitude=16\n"
                "AutoZero=1\nExportType=2\nInterval=250\n");
    }
    QSettings store(path, QSettings::IniFormat);
    const StoredSettings v = LoadSettings(store);
    EXPECT_EQ(v.valuesRead, StoredSettingsCount);
    const std::vector<double> got = {double(v.ComPort),
                                     double(v.BaudRate),
                                     double(v.Left),
                                     double(v.Top),
                                     double(v.SimulateTarget),
                                     double(v.ShowPoints),
                                     double(v.ShowInfo),
                                     double(v.ShowBackground),
                                     double(v.ShowAvgROC),
                                     double(v.BlankPart),
                                     double(v.RevTrig),
                                     double(v.Triggered),
                                     v.PrtWidth,
                                     v.PrtHeight,
                                     double(v.PrtColor),
                                     double(v.BGColor),
                                     double(v.GridColor),
                                     double(v.ScaleColor),
                                     double(v.LabelColor),
                                     double(v.InfoColor),
                                     double(v.AutoStart),
                                     double(v.AutoStartSec),
                                     double(v.AutoStartAltitude),
                                     double(v.AutoStop),
                                     double(v.AutoStopSec),
                                     double(v.AutoStopAltitude),
                                     double(v.AutoZero),
                                     double(v.ExportType),
                                     double(v.Interval)};
    const std::vector<double> want = {2, 3,  40,  50,   1,  1,        0,        1,        1,        1,
                                      1, 1,  6.5, 2.25, 1,  0x112233, 0x444444, 0x555555, 0x666666, 0x777777,
                                      2, 11, 21,  1,    61, 16,       1,        2,        250};
    EXPECT_EQ(got, want);

    QSettings copy(dir.filePath("copy.ini"), QSettings::IniFormat);
    SaveSettings(copy, v);
    store.beginGroup("Settings");
    copy.beginGroup("Settings");
    QStringList keys = store.childKeys(), written = copy.childKeys();
    keys.sort();
    written.sort();
    EXPECT_EQ(written, keys);
    for (const QString& k : keys)
        EXPECT_EQ(copy.value(k).toString(), store.value(k).toString()) << k.toStdString();
}

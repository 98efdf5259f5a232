#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

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

TEST(Settings, FirstRunGivesTheDefaults) {
    Store s;
    const StoredSettings v = LoadSettings(s.settings);
    EXPECT_EQ(v.valuesRead, 0);
    EXPECT_EQ(v.ComPort, 0);
    EXPECT_EQ(v.BaudRate, 5);
    EXPECT_EQ(v.PrtWidth, 7.0);
    EXPECT_EQ(v.InfoColor, 0x0000FF);
    EXPECT_EQ(v.Interval, 100);
    EXPECT_EQ(v.ShowInfo, 1);
}

TEST(Settings, ReadingStopsAtTheFirstMissingValueAndResetsTheFixedDefaults) {
    Store s;
    s.set("ComPort", 2);
    s.set("BaudRate", 1);
    s.set("Top", 77); // after the missing "Left": never read
    s.set("PrtWidth", 9.5);
    StoredSettings v = LoadSettings(s.settings);
    EXPECT_EQ(v.valuesRead, 2);
    EXPECT_EQ(v.ComPort, 2);
    EXPECT_EQ(v.BaudRate, 5); // whatever was stored
    EXPECT_EQ(v.Top, 152);
    EXPECT_EQ(v.PrtWidth, 7.0);
    EXPECT_FALSE(v.positionRead());
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

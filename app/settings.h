// The user's choices that survive a restart: 29 values under TamberlinSystems/Orvo, group
// "Settings", read once when the main window is first shown and written once at close.
#pragma once

#include <cstdint>

class QSettings;

// The one table of stored values, in the order they are read and written:
// X(name, type, default, kept), where kept says whether a value read before a missing one
// survives (Kept) or takes its default whenever the store was not read in full (Reset).
// Adding a value here adds its field, its key, its load and save, and its place in the order.
#define ORVO_STORED_SETTINGS(X)                                                                              \
    X(ComPort, int, 0, Kept)                                                                                 \
    X(BaudRate, int, 5, Reset)                                                                               \
    X(Left, int, 339, Kept)                                                                                  \
    X(Top, int, 152, Kept)                                                                                   \
    X(SimulateTarget, int, 0, Kept)                                                                          \
    X(ShowPoints, int, 0, Kept)                                                                              \
    X(ShowInfo, int, 1, Kept)                                                                                \
    X(ShowBackground, int, 0, Kept)                                                                          \
    X(ShowAvgROC, int, 0, Kept)                                                                              \
    X(BlankPart, int, 0, Kept)                                                                               \
    X(RevTrig, int, 0, Kept)                                                                                 \
    X(Triggered, int, 0, Kept)                                                                               \
    X(PrtWidth, double, 7.0, Reset)                                                                          \
    X(PrtHeight, double, 3.5, Reset)                                                                         \
    X(PrtColor, int, 0, Kept)                                                                                \
    X(BGColor, int, 0xFFFFFF, Reset)                                                                         \
    X(GridColor, int, 0x808080, Reset)                                                                       \
    X(ScaleColor, int, 0x000000, Reset)                                                                      \
    X(LabelColor, int, 0x000000, Reset)                                                                      \
    X(InfoColor, int, 0x0000FF, Reset)                                                                       \
    X(AutoStart, int, 0, Kept)                                                                               \
    X(AutoStartSec, int, 10, Kept)                                                                           \
    X(AutoStartAltitude, int, 20, Kept)                                                                      \
    X(AutoStop, int, 0, Kept)                                                                                \
    X(AutoStopSec, int, 60, Kept)                                                                            \
    X(AutoStopAltitude, int, 15, Kept)                                                                       \
    X(AutoZero, int, 0, Kept)                                                                                \
    X(ExportType, int, 1, Kept)                                                                              \
    X(Interval, std::uint16_t, 100, Reset)

// One name per stored value, in read order.
enum class Setting {
#define ORVO_SETTING_NAME(name, type, init, kept) name,
    ORVO_STORED_SETTINGS(ORVO_SETTING_NAME)
#undef ORVO_SETTING_NAME
        Count
};

constexpr int StoredSettingsCount = static_cast<int>(Setting::Count);

struct StoredSettings {
#define ORVO_SETTING_FIELD(name, type, init, kept) type name = init;
    ORVO_STORED_SETTINGS(ORVO_SETTING_FIELD)
#undef ORVO_SETTING_FIELD

    // How many values, in table order, were read before the first one that was missing or
    // unreadable (StoredSettingsCount when all were read). The window applies only the values
    // read, keeping the designed state of the rest.
    int valuesRead = 0;
    // Kept beside the table under its own key, so that a store written before it existed is
    // still read in full: a legend when two or more sets are shown (1) or never (0).
    int ShowLegend = 1;
    bool showLegendRead = false;
    bool wasRead(Setting s) const {
        return valuesRead > static_cast<int>(s);
    }
    bool positionRead() const {
        return wasRead(Setting::Left) && wasRead(Setting::Top);
    }
};

// Reads in table order and stops at the first value that is missing or of the wrong type; then
// the values marked Reset (speed, print size, colours, interval unit) take their defaults
// whatever was read.
StoredSettings LoadSettings(QSettings& store);
// Writes all values in table order.
void SaveSettings(QSettings& store, const StoredSettings& values);
// The program's own store (the per-user settings of TamberlinSystems/Orvo).
StoredSettings LoadSettings();
void SaveSettings(const StoredSettings& values);

// Leading-decimal-integer rule of the numeric edits: optional sign and digits; no leading digits
// gives 0. The result is cut to 32 bits.
int leadingInteger(const char* text);

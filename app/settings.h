// The user's choices that survive a restart: 29 values under TamberlinSystems/Orvo, group
// "Settings", read once when the main window is first shown and written once at close.
#pragma once

#include <cstdint>

class QSettings;

struct StoredSettings {
    int ComPort = 0;
    int BaudRate = 5;
    int Left = 339;
    int Top = 152;
    int SimulateTarget = 0;
    int ShowPoints = 0;
    int ShowInfo = 1;
    int ShowBackground = 0;
    int ShowAvgROC = 0;
    int BlankPart = 0;
    int RevTrig = 0;
    int Triggered = 0;
    double PrtWidth = 7.0;
    double PrtHeight = 3.5;
    int PrtColor = 0;
    int BGColor = 0xFFFFFF;
    int GridColor = 0x808080;
    int ScaleColor = 0x000000;
    int LabelColor = 0x000000;
    int InfoColor = 0x0000FF;
    int AutoStart = 0;
    int AutoStartSec = 10;
    int AutoStartAltitude = 20;
    int AutoStop = 0;
    int AutoStopSec = 60;
    int AutoStopAltitude = 15;
    int AutoZero = 0;
    int ExportType = 1;
    std::uint16_t Interval = 100;

    // How many values, in table order, were read before the first one that was missing or
    // unreadable (29 when all were read). The window applies only those, keeping the designed
    // state of the rest.
    int valuesRead = 0;
    bool positionRead() const { return valuesRead >= 4; }
};

constexpr int StoredSettingsCount = 29;

// Reads in table order and stops at the first value that is missing or of the wrong type; then
// the speed, print size, colours and interval unit take their defaults whatever was read.
StoredSettings LoadSettings(QSettings& store);
// Writes all 29 values in table order.
void SaveSettings(QSettings& store, const StoredSettings& values);
// The program's own store (the per-user settings of TamberlinSystems/Orvo).
StoredSettings LoadSettings();
void SaveSettings(const StoredSettings& values);

// Leading-decimal-integer rule of the numeric edits: optional sign and digits; no leading digits
// gives 0. The result is cut to 32 bits.
int leadingInteger(const char* text);

#include "app/settings.h"

#include <QSettings>
#include <QVariant>

#include <cctype>
#include <cstdlib>

namespace {

enum Keep { Kept, Reset };

// Reads one value as its type; a missing value or one of another type fails.
bool readValue(const QVariant& v, int& target) {
    bool ok = false;
    const int x = v.isValid() ? v.toInt(&ok) : 0;
    if (ok) target = x;
    return ok;
}
bool readValue(const QVariant& v, double& target) {
    bool ok = false;
    const double x = v.isValid() ? v.toDouble(&ok) : 0.0;
    if (ok) target = x;
    return ok;
}
bool readValue(const QVariant& v, std::uint16_t& target) {
    int x = target;
    if (!readValue(v, x)) return false;
    target = static_cast<std::uint16_t>(x);
    return true;
}

QVariant storedValue(int v) {
    return v;
}
QVariant storedValue(double v) {
    return v;
}
QVariant storedValue(std::uint16_t v) {
    return static_cast<int>(v);
}

} // namespace

StoredSettings LoadSettings(QSettings& store) {
    StoredSettings v;
    store.beginGroup(QStringLiteral("Settings"));
    // Walks the table in order; a failure stops reading for good.
    bool failed = false;
#define ORVO_SETTING_LOAD(name, type, init, kept)                                                            \
    if (!failed && readValue(store.value(QStringLiteral(#name)), v.name))                                    \
        ++v.valuesRead;                                                                                      \
    else                                                                                                     \
        failed = true;
    ORVO_STORED_SETTINGS(ORVO_SETTING_LOAD)
#undef ORVO_SETTING_LOAD
    v.showLegendRead = readValue(store.value(QStringLiteral("ShowLegend")), v.ShowLegend);
    if (!v.showLegendRead) v.ShowLegend = 1;
    store.endGroup();

    if (failed) {
        const StoredSettings d;
#define ORVO_SETTING_RESET(name, type, init, kept)                                                           \
    if (kept == Reset) v.name = d.name;
        ORVO_STORED_SETTINGS(ORVO_SETTING_RESET)
#undef ORVO_SETTING_RESET
    }
    // A speed index outside the table would select nothing.
    if (v.BaudRate < 0 || v.BaudRate > 5) v.BaudRate = 5;
    return v;
}

void SaveSettings(QSettings& store, const StoredSettings& v) {
    store.beginGroup(QStringLiteral("Settings"));
#define ORVO_SETTING_SAVE(name, type, init, kept) store.setValue(QStringLiteral(#name), storedValue(v.name));
    ORVO_STORED_SETTINGS(ORVO_SETTING_SAVE)
#undef ORVO_SETTING_SAVE
    // A store that never held it gets it once the legend is turned off.
    if (v.showLegendRead || v.ShowLegend != 1)
        store.setValue(QStringLiteral("ShowLegend"), storedValue(v.ShowLegend));
    store.endGroup();
    store.sync();
}

StoredSettings LoadSettings() {
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    return LoadSettings(store);
}

void SaveSettings(const StoredSettings& values) {
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    SaveSettings(store, values);
}

int leadingInteger(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    bool any = false;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        any = true;
        value = (value * 10 + (*p++ - '0')) & 0xFFFFFFFFLL; // keeps the low 32 bits
    }
    if (!any) return 0;
    const auto bits = static_cast<std::uint32_t>(negative ? -value : value);
    return static_cast<int>(bits);
}

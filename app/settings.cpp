#include "app/settings.h"

#include <QSettings>

#include <cctype>
#include <cstdlib>

namespace {

// Walks the table in order; a failure stops reading for good.
class SettingsReader {
  public:
    explicit SettingsReader(QSettings& s) : m_s(s) {}
    void integer(const char* name, int& target) {
        if (m_failed) return;
        bool ok = false;
        const QVariant v = m_s.value(QLatin1String(name));
        const int x = v.isValid() ? v.toInt(&ok) : 0;
        if (!ok) {
            m_failed = true;
            return;
        }
        target = x;
        ++m_read;
    }
    void real(const char* name, double& target) {
        if (m_failed) return;
        bool ok = false;
        const QVariant v = m_s.value(QLatin1String(name));
        const double x = v.isValid() ? v.toDouble(&ok) : 0.0;
        if (!ok) {
            m_failed = true;
            return;
        }
        target = x;
        ++m_read;
    }
    bool failed() const { return m_failed; }
    int read() const { return m_read; }

  private:
    QSettings& m_s;
    bool m_failed = false;
    int m_read = 0;
};

} // namespace

StoredSettings LoadSettings(QSettings& store) {
    StoredSettings v;
    store.beginGroup(QStringLiteral("Settings"));
    SettingsReader r(store);
    r.integer("ComPort", v.ComPort);
    r.integer("BaudRate", v.BaudRate);
    r.integer("Left", v.Left);
    r.integer("Top", v.Top);
    r.integer("SimulateTarget", v.SimulateTarget);
    r.integer("ShowPoints", v.ShowPoints);
    r.integer("ShowInfo", v.ShowInfo);
    r.integer("ShowBackground", v.ShowBackground);
    r.integer("ShowAvgROC", v.ShowAvgROC);
    r.integer("BlankPart", v.BlankPart);
    r.integer("RevTrig", v.RevTrig);
    r.integer("Triggered", v.Triggered);
    r.real("PrtWidth", v.PrtWidth);
    r.real("PrtHeight", v.PrtHeight);
    r.integer("PrtColor", v.PrtColor);
    r.integer("BGColor", v.BGColor);
    r.integer("GridColor", v.GridColor);
    r.integer("ScaleColor", v.ScaleColor);
    r.integer("LabelColor", v.LabelColor);
    r.integer("InfoColor", v.InfoColor);
    r.integer("AutoStart", v.AutoStart);
    r.integer("AutoStartSec", v.AutoStartSec);
    r.integer("AutoStartAltitude", v.AutoStartAltitude);
    r.integer("AutoStop", v.AutoStop);
    r.integer("AutoStopSec", v.AutoStopSec);
    r.integer("AutoStopAltitude", v.AutoStopAltitude);
    r.integer("AutoZero", v.AutoZero);
    r.integer("ExportType", v.ExportType);
    int interval = v.Interval;
    r.integer("Interval", interval);
    v.Interval = static_cast<std::uint16_t>(interval);
    store.endGroup();

    v.valuesRead = r.read();
    if (r.failed()) {
        const StoredSettings d;
        if (v.valuesRead < 1) v.ComPort = 0;
        v.BaudRate = d.BaudRate;
        v.PrtWidth = d.PrtWidth;
        v.PrtHeight = d.PrtHeight;
        v.BGColor = d.BGColor;
        v.GridColor = d.GridColor;
        v.ScaleColor = d.ScaleColor;
        v.LabelColor = d.LabelColor;
        v.InfoColor = d.InfoColor;
        v.Interval = d.Interval;
    }
    // A speed index outside the table would select nothing.
    if (v.BaudRate < 0 || v.BaudRate > 5) v.BaudRate = 5;
    return v;
}

void SaveSettings(QSettings& store, const StoredSettings& v) {
    store.beginGroup(QStringLiteral("Settings"));
    store.setValue("ComPort", v.ComPort);
    store.setValue("BaudRate", v.BaudRate);
    store.setValue("Left", v.Left);
    store.setValue("Top", v.Top);
    store.setValue("SimulateTarget", v.SimulateTarget);
    store.setValue("ShowPoints", v.ShowPoints);
    store.setValue("ShowInfo", v.ShowInfo);
    store.setValue("ShowBackground", v.ShowBackground);
    store.setValue("ShowAvgROC", v.ShowAvgROC);
    store.setValue("BlankPart", v.BlankPart);
    store.setValue("RevTrig", v.RevTrig);
    store.setValue("Triggered", v.Triggered);
    store.setValue("PrtWidth", v.PrtWidth);
    store.setValue("PrtHeight", v.PrtHeight);
    store.setValue("PrtColor", v.PrtColor);
    store.setValue("BGColor", v.BGColor);
    store.setValue("GridColor", v.GridColor);
    store.setValue("ScaleColor", v.ScaleColor);
    store.setValue("LabelColor", v.LabelColor);
    store.setValue("InfoColor", v.InfoColor);
    store.setValue("AutoStart", v.AutoStart);
    store.setValue("AutoStartSec", v.AutoStartSec);
    store.setValue("AutoStartAltitude", v.AutoStartAltitude);
    store.setValue("AutoStop", v.AutoStop);
    store.setValue("AutoStopSec", v.AutoStopSec);
    store.setValue("AutoStopAltitude", v.AutoStopAltitude);
    store.setValue("AutoZero", v.AutoZero);
    store.setValue("ExportType", v.ExportType);
    store.setValue("Interval", static_cast<int>(v.Interval));
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

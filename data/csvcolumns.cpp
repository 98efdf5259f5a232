#include "data/csvcolumns.h"

#include <algorithm>
#include <cmath>

namespace orvo {

void convertToPlotUnit(SeriesList& list, int firstNew, PlotFileHeader& header, LoadReport& report) {
    // The plot's unit is that of the sets it held before; a plot file that mixes units is left as
    // it was saved.
    const AltitudeUnit* unit = nullptr;
    for (int n = 0; n < firstNew && n < list.dataSetCount() && !unit; ++n)
        unit = list.dataSet(n).altitudeUnit;
    const bool hadUnit = unit != nullptr;
    // Else the first unit the load brings; a plot file keeps the label it was saved with.
    for (int n = std::max(firstNew, 0); n < list.dataSetCount() && !unit && !report.plotFile; ++n)
        unit = list.dataSet(n).altitudeUnit;
    // A foreign set without a unit is drawn as it stands: in the plot's unit, or in the one its
    // altitude label names; the load says which.
    for (int n = std::max(firstNew, 0); n < list.dataSetCount() && report.foreign; ++n)
        if (!list.dataSet(n).altitudeUnit) {
            report.unitAssumed = true;
            report.assumedUnit = unit ? unit : altitudeUnitOfLabel(header.yLabel);
            if (!unit)
                report.notes.push_back(
                    "The file does not name the unit of its altitudes; they are shown as they stand" +
                    (report.assumedUnit
                         ? ", in " + unitWord(report.assumedUnit) + " as the altitude axis says."
                         : std::string(".")));
        }
    if (!unit) return;
    bool converted = false;
    for (int n = std::max(firstNew, 0); n < list.dataSetCount(); ++n) {
        Series& s = list.dataSet(n);
        if (!s.altitudeUnit && report.foreign)
            report.notes.push_back("The file does not name the unit of its altitudes; they are shown as they "
                                   "stand, in " +
                                   unitWord(unit) + ", the plot's unit.");
        if (!s.altitudeUnit || s.altitudeUnit == unit) continue;
        const double factor = s.altitudeUnit->metres / unit->metres;
        for (Series* series : {&s, &list.triggerSet(n)}) {
            SampleBuffer& b = series->samples;
            for (int i = 0; i < b.count; ++i) {
                double& a = b.altitude[static_cast<std::size_t>(i)];
                const double v = a * factor;
                a = std::isfinite(v) ? v : 0.0;
            }
        }
        report.notes.push_back("The altitudes of " + s.name + " were converted from " +
                               unitWord(s.altitudeUnit) + " to " + unitWord(unit) + ", the plot's unit.");
        s.altitudeUnit = unit;
        converted = true;
    }
    if (!converted && !report.foreign && hadUnit) return;
    if (altitudeUnitOfLabel(header.yLabel) == unit) return;
    // Keep the label's own words and capitals: "Altitude (Feet)" becomes "Altitude (Meters)".
    std::string word = unitWord(unit);
    const std::size_t open = header.yLabel.rfind('(');
    const std::size_t close = header.yLabel.rfind(')');
    if (open != std::string::npos && close != std::string::npos && close > open &&
        altitudeUnitOfLabel(header.yLabel) != nullptr) {
        if (open + 1 < close && header.yLabel[open + 1] >= 'A' && header.yLabel[open + 1] <= 'Z')
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        header.yLabel = header.yLabel.substr(0, open + 1) + word + header.yLabel.substr(close);
    } else {
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
        header.yLabel = "Altitude (" + word + ")";
    }
}

} // namespace orvo

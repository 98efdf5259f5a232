#include "data/liftoffalign.h"

#include "data/flightstats.h"

namespace orvo {

LiftoffAlignment alignAtLiftoff(SeriesList& list) {
    LiftoffAlignment result;
    for (int n = 0; n < list.dataSetCount(); ++n) {
        const FlightStatistics stats = computeFlightStatistics(list.dataSet(n));
        if (!stats.hasLiftoff) {
            const std::string why = stats.reason.empty() ? "no liftoff found" : stats.reason;
            result.withoutLiftoff.push_back(list.dataSet(n).name + " (" + why + ")");
            continue;
        }
        list.ShiftDataSet(n, -stats.liftoffTime, 0.0);
        ++result.shifted;
    }
    return result;
}

std::string LiftoffAlignment::message() const {
    std::string text = "Lined up " + std::to_string(shifted) + " data set(s) at liftoff (0 s).";
    if (!withoutLiftoff.empty()) {
        text += " Left where they were, without a liftoff: ";
        for (std::size_t i = 0; i < withoutLiftoff.size(); ++i) {
            if (i > 0) text += ", ";
            text += withoutLiftoff[i];
        }
        text += '.';
    }
    return text;
}

} // namespace orvo

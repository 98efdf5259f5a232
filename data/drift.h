// Corrections of one data set's altitudes (Fix Drift, Fix Offset) and the photo list file,
// free of widgets: the Data Properties dialog and `orvo-cli edit` both call these.
#pragma once

#include <array>
#include <string>

#include "data/series.h"

namespace orvo {

// Why a correction did or did not change the data set.
enum class EditStatus {
    Done,
    NoSuchSet,     // n is not a data set of the list
    TooFewSamples, // fewer than 10 samples: the first tenth is empty
    NoFirstLow,    // no altitude below 99999 in the first tenth
    NoLastLow,     // no altitude below 99999 in the last tenth
    SameIndex,     // both lows at one sample: the slope is undefined
};

struct EditResult {
    EditStatus status = EditStatus::Done;
    int sampleCount = 0;
    int firstLowIndex = -1;
    int lastLowIndex = -1;
    double firstLow = 0.0;
    double lastLow = 0.0;
    double maximum = -99999.0; // highest altitude of the set afterwards
    bool ok() const { return status == EditStatus::Done; }
};

// A sentence for the user saying why nothing changed ("" when the edit was done).
std::string describeEditResult(const EditResult& r);

// Removes the linear drift between the lowest altitude of the first tenth and the lowest of
// the last tenth of data set n; the stretches before the first and after the last low become
// flat and the trigger marks take the corrected altitude of the sample at their time. Returns
// without touching anything when one of the lows does not exist.
EditResult FixDrift(SeriesList& list, int n);

// Subtracts the first low that FixDrift would find from every altitude of data set n and of
// its trigger marks, so the launch site reads 0.
EditResult FixOffset(SeriesList& list, int n);

// Highest altitude of data set n (start -99999, strictly higher wins).
double dataSetMaximum(const SeriesList& list, int n);

// When text contains "max=", its first "max=" and everything after it become "max=%lg" of
// maximum; otherwise text is returned unchanged. The result is cut to MaxTextLength.
std::string rewriteMaxText(const std::string& text, double maximum);

// The photo list: the six plot texts (title, X label, Y label, Info 1..3) as "#" lines, the
// column header, then one line per trigger mark: picture number from 1, time, altitude.
std::string photoListText(const std::array<std::string, 6>& plotTexts, const Series& triggers);

// printf "%lf"-style reading and writing, with a full stop whatever the locale.
// readLf skips leading blanks, takes the longest number prefix and ignores the rest; false when
// the text does not start with a finite number.
bool readLf(const std::string& text, double& value);
std::string formatFixed(double value, int width, int decimals); // "%*.*f"
std::string formatG(double value);                              // "%lg"

} // namespace orvo

// The view limits as the Graph Scale dialog shows and takes them: each limit in its shortest
// general form, each edited text scanned back as a number, and Auto's round ranges. Kept free of
// widgets so the dialog is a thin layer over it.
#pragma once

#include <string>
#include <string_view>

#include "plot/plotsettings.h"

namespace orvo {

// A limit's edit is read into a 40-byte buffer, so only its first 39 characters count.
inline constexpr std::size_t LimitTextLength = 39;

// The shortest general form with at most 15 significant digits, full stop whatever the locale:
// 20.0 gives "20", 0.1 + 0.2 gives "0.3", 1e20 gives "1e+20"; a negative zero gives "0".
std::string limitText(double value);

// Scans the first 39 characters of text as "%lf" does (leading blanks, longest number prefix,
// the rest ignored). True with value set when that gives a finite number; otherwise false and
// value untouched: "", "abc", and also "nan", "inf" or "1e999", which the C library would take,
// so that no view limit ever becomes non-finite.
bool scanLimit(std::string_view text, double& value);

// The four texts of the dialog's edits, in the order time min, time max, altitude min, altitude max.
struct ViewLimitTexts {
    std::string timeMin, timeMax, altitudeMin, altitudeMax;
};

// The current view as the dialog shows it when it opens.
ViewLimitTexts viewLimitTexts(const PlotSettings& plot);

// Auto: fits the view and the home view to the data at once and gives the texts to show. The time
// minimum shows "0", not the fitted minimum, so that OK afterwards starts the time axis at 0.
ViewLimitTexts autoScaleView(PlotSettings& plot, HomeView& home);

// Whether some finite sample of the set, as drawn (its scales and offsets), lies outside the view.
bool liesPartlyOutsideView(const PlotSettings& plot, const Series& set);

// OK: each text that scans replaces its limit, the others stay; the home view becomes the result.
// Equal or reversed limits are kept as typed (the renderer draws them safely).
void applyViewLimitTexts(const ViewLimitTexts& texts, PlotSettings& plot, HomeView& home);

} // namespace orvo

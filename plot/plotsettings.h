// The one process-wide plot record (view, colours, texts, series) and the small pieces of
// state beside it that the renderer reads: the Reset view, the output size and the show flags.
#pragma once

#include <string>

#include "data/series.h"

namespace orvo {

inline constexpr const char* MakerWebAddress = "www.orvo-altimeters.example/altimeters";
inline constexpr const char* MakerEmail = "support@orvo-altimeters.example";

// The four limits of a view.
struct ViewRange {
    double timeMin = 0.0;
    double timeMax = 20.0;
    double altitudeMin = 0.0;
    double altitudeMax = 20.0;
};

// The plot's own texts (the credits are not the user's and stay out).
struct PlotTexts {
    std::string title = "Altitude versus Time";
    std::string xLabel = "Time (sec)";
    std::string yLabel = "Altitude (Feet)";
    std::string info1, info2, info3;

    bool operator==(const PlotTexts&) const = default;
};

struct PlotSettings : ViewRange, PlotTexts {
    Colour backgroundColour = 0x00FFFFFF;
    Colour gridColour = 0x00808080;
    Colour scaleColour = 0x00000000;
    Colour labelColour = 0x00000000;
    Colour infoColour = 0x000000FF;
    SeriesList series;
    double timeShift = 0.0;
    double altitudeShift = 0.0;
    std::string credit1 = "Created by Orvo - Get an Altitude!";
    std::string credit2 = MakerWebAddress;

    // Resets everything but the series list to the start-up values.
    void resetTextsAndView();
    ViewRange& view() { return *this; }
    const ViewRange& view() const { return *this; }
    PlotTexts& texts() { return *this; }
    const PlotTexts& texts() const { return *this; }
};

// The view the Reset button restores.
struct HomeView : ViewRange {};

// Size and placement of the drawn plot in inches, and colour (non-zero) or monochrome output.
struct OutputSettings {
    double width = 7.0;
    double height = 3.5;
    double left = 0.0;
    double top = 0.0;
    int colour = 0;
};

struct ShowFlags {
    bool ShowInfo = true;
    bool ShowBackground = false;
    bool ShowAvgROC = false;
    // A legend of the shown data sets (name, line and symbol) when two or more are shown.
    bool ShowLegend = true;
};

// Everything a render reads, bundled for the callers that hold the process-wide state.
struct PlotState {
    PlotSettings settings;
    HomeView home;
    OutputSettings output;
    ShowFlags show;
};

// The round range that holds v's span starting from lo (both axes use it).
struct AxisRange {
    double minimum;
    double maximum;
};
AxisRange roundRange(double lo, double hi);

// Fit the time (altitude) limits of the view and of the home view to every sample of every
// data set (trigger sets excluded, display flags ignored). With no sample at all, or only
// non-finite ones, the view and the home view are left as they are.
void AutoScaleTime(PlotSettings& plot, HomeView& home);
void AutoScaleAltitude(PlotSettings& plot, HomeView& home);

} // namespace orvo

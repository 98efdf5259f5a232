// The decisions behind the Recorded Data page's view buttons, Crop and mouse tools, kept free of
// widgets so they can be tested alone. The main window's handlers call these.
#pragma once

#include <QString>

#include "plot/plotrender.h"

namespace orvo {

// IN / OUT: both axes about their centres to half (double) the span, never below 10 units.
void ZoomView(PlotSettings& plot, double factor);
// Arrow buttons: shift the time (altitude) limits by fraction x the span.
void PanTime(PlotSettings& plot, double fraction);
void PanAltitude(PlotSettings& plot, double fraction);
void ResetView(PlotSettings& plot, const HomeView& home);

// Crop: keeps, in every data set, the samples inside the view's time limits (stored times),
// moves triggers and climb marks with them, then fits the view and the home view to the data.
void CropToView(PlotSettings& plot, HomeView& home);
// The crop of one data set between stored times tMin and tMax; false when it was left as it was.
bool CropDataSet(Series& set, Series* triggers, double tMin, double tMax);

// The sample of s nearest to time t (stored times); -1 when s has no samples.
int NearestSample(const Series& s, double t);

// A Zoom or Climb drag counts when it spans more than 1 second and more than 1 altitude unit
// (the differences truncated first).
bool DragIsBigEnough(double startTime, double startAltitude, double endTime, double endAltitude);

// The status texts for sample k of s; ROC is empty when no rate can be given (sample 0, or
// equal times), and the display then keeps its text.
QString CursorPositionText(const Series& s, int k);
QString CursorRateText(const Series& s, int k);

// State of the mouse tools of the plot view.
struct MouseToolState {
    int zoomDrag = 0;
    int climbDrag = 0;
    int startX = 0, startY = 0, endX = 0, endY = 0;
    double startTime = 0, startAltitude = 0, endTime = 0, endAltitude = 0;
    int cursorSample = 0;
    int climbStartSample = 0, climbEndSample = 0;
    bool circleShown = false; // a circle is drawn since the last paint
    int circleX = -10, circleY = -10;
};

} // namespace orvo

// What the plot view draws over its cached picture while the mouse moves: the cursor circle and
// the Zoom or Climb rubber band. They are XOR-drawn onto a copy of the cached pixels, so a
// cursor move never re-renders the plot. Used by the plot box and the render benchmark.
#pragma once

#include <QPoint>
#include <QRegion>

class QPainter;

namespace orvo {

struct PlotOverlay {
    bool circle = false; // cursor circle around centre
    QPoint centre;
    bool zoomBand = false;  // rectangle from bandStart to bandEnd
    bool climbBand = false; // vertical lines at bandStart.x and bandEnd.x from top to bottom
    QPoint bandStart, bandEnd;
    int top = 0, bottom = 0;
};

// The pixels the overlay can touch (what must be restored from the cache when it moves).
QRegion OverlayRegion(const PlotOverlay& o);

// Draws the overlay in XOR with the cursor colour, leaving the painter's state as it found it.
void DrawPlotOverlay(QPainter& painter, const PlotOverlay& o);

} // namespace orvo

// Copies the plot values a data file carries (texts and view limits) between the plot record and
// the file layer's header; the Save and Load buttons and the command line tools use it.
#pragma once

#include "data/datafile.h"
#include "plot/plotsettings.h"

namespace orvo {

PlotFileHeader plotFileHeader(const PlotSettings& plot);
// The six texts and the four view limits; nothing else of the plot changes.
void applyPlotFileHeader(const PlotFileHeader& header, PlotSettings& plot);

} // namespace orvo

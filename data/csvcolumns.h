// One altitude unit per plot: what a load does with sets whose unit differs from the plot's.
#pragma once

#include "data/csvimport.h"
#include "data/datafile.h"

namespace orvo {

// One altitude unit per plot: the plot's unit is that of the first set before firstNew whose unit
// is known, or else the first unit the new sets bring (not for a plot file, which keeps what it
// was saved with). New sets in another unit are converted into it (their trigger sets too) and a
// note says so. When the load converted a set, brought another program's file or brought the
// plot's first unit, the plot's altitude label is made to name the plot's unit.
void convertToPlotUnit(SeriesList& list, int firstNew, PlotFileHeader& header, LoadReport& report);

} // namespace orvo

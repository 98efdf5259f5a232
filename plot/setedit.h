// The data set corrections as the plot sees them: the correction on the model, then the view's
// altitude range refitted and the "max=" figure of Info 3 rewritten. The Data Properties dialog
// and `orvo-cli edit` both go through here so they behave alike.
#pragma once

#include <array>
#include <string>

#include "data/datafile.h"
#include "data/drift.h"
#include "plot/plotsettings.h"

namespace orvo {

// FixDrift on data set n; when done, AutoScaleAltitude and the Info 3 rewrite follow.
EditResult applyFixDrift(PlotState& plot, int n);
// FixOffset on data set n, followed by the same refit and Info 3 rewrite.
EditResult applyFixOffset(PlotState& plot, int n);

// Title, X label, Y label, Info 1, Info 2, Info 3: the texts the photo list starts with.
std::array<std::string, 6> photoListHeaderTexts(const PlotSettings& plot);
// Writes the photo list of data set n to path through the safe save: an old file is replaced
// only once the new one is complete. OpenFailed when n is no data set or path cannot be opened
// (or is no regular file), WriteFailed when the disk refused the contents.
FileStatus writePhotoList(const PlotSettings& plot, int n, const std::string& path);

} // namespace orvo

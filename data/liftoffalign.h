// Lines flights up at liftoff: every data set is shifted in time so that its liftoff (from its
// flight statistics) is at 0 s, so flights of several instruments, or a flight and its
// simulation, can be laid over each other. The Recorded Data page and orvo-cli convert and edit
// call it.
#pragma once

#include <string>
#include <vector>

#include "data/series.h"

namespace orvo {

struct LiftoffAlignment {
    int shifted = 0;                         // sets moved (a liftoff already at 0 counts)
    std::vector<std::string> withoutLiftoff; // names of the sets left where they were, with why
    // One sentence for a person: how many sets were lined up, and which were not and why.
    std::string message() const;
};

// Shifts every data set of list (times of the set and of its trigger set; marks stay) so that
// its liftoff is at 0. A set without a liftoff (too short, flat, begins in the air) is left as
// it is and named in the result.
LiftoffAlignment alignAtLiftoff(SeriesList& list);

} // namespace orvo

#include "app/version.h"

std::string GetProgramVersion() { return ORVO_VERSION_TEXT; }

// Month abbreviation, day, year, a comma and the time of day of the build.
const char* BuildStamp() { return __DATE__ ", " __TIME__; }

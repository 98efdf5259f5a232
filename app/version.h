// The program's version text and build stamp, shown on the About page and by --version.
#pragma once

#include <string>

std::string GetProgramVersion();
const char* BuildStamp();

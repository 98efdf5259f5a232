// The program's version text and build stamp, shown on the About page and by --version.
#pragma once

#include <string>

class QIcon;

std::string GetProgramVersion();
const char* BuildStamp();

// The program icon (shown in the title bar and on the About page).
QIcon programIcon();

// The program's version text and build stamp, shown on the About page and by --version.
#pragma once

#include <string>

class QIcon;
class QString;

std::string GetProgramVersion();
const char* BuildStamp();

// The program icon (shown in the title bar and on the About page).
QIcon programIcon();

// Where the user manual "OrvoManual.pdf" is: in the executable's folder exeDir when it is there,
// else in the installed documentation folder (share/doc/orvo beside the bin folder), else the
// executable's folder again (opening a missing file reports nothing).
QString ManualPath(const QString& exeDir);

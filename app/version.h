// The program's version text and build stamp, shown on the About page and by --version.
#pragma once

#include <string>

class QIcon;
class QPixmap;
class QString;

std::string GetProgramVersion();
const char* BuildStamp();

// The program icon (shown in the title bar and the task bar), and its picture of one of the sizes
// the build drew (16, 32, 57, 64 and 128 pixels; null for another size).
QIcon programIcon();
QPixmap programPicture(int size);

// Where the user manual "OrvoManual.pdf" is: in the executable's folder exeDir when it is there,
// else in the installed documentation folder (share/doc/orvo beside the bin folder), else the
// executable's folder again (opening a missing file reports nothing).
QString ManualPath(const QString& exeDir);

// main() of the GUI and end-to-end tests: one QApplication on the offscreen platform, C numbers,
// a private settings store so no test reads or writes the user's, nor another test process's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "controls.h"

void controlMissing(const QObject* root, const char* name, const char* type, std::source_location where) {
    const QString under = root ? root->objectName() : QStringLiteral("nothing");
    // Said at once as well: the caller may go on to use the null control and end the process.
    std::fprintf(stderr, "%s:%u: no %s named %s under %s\n", where.file_name(), unsigned(where.line()), type,
                 name, qPrintable(under));
    ADD_FAILURE_AT(where.file_name(), int(where.line()))
        << "no " << type << " named " << name << " under " << under.toStdString();
}

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // ctest runs test processes side by side: each gets a home of its own, so one never clears or
    // reads another's settings store or downloads folder.
    QTemporaryDir home;
    if (home.isValid()) setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("TamberlinSystems"));
    QApplication::setApplicationName(QStringLiteral("Orvo"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

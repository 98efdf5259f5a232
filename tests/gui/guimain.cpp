// main() of the GUI and end-to-end tests: one QApplication on the offscreen platform, C numbers,
// a private settings store so no test reads or writes the user's, nor another test process's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>

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

// The program's windows made afresh for each test: the settings cleared before and after, every
// question answered by the scripted prompts, and a temporary folder for the files a test writes.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

#include "app/appwindows.h"
#include "app/tmainform.h"
#include "scriptedprompts.h"

class WindowsFixture : public ::testing::Test {
  protected:
    // Clears the settings and makes the windows; the main form is shown unless told otherwise
    // (showing it makes the first data set).
    void openWindows(bool showMain = true) {
        clearSettings();
        windows = std::make_unique<AppWindows>(&prompts);
        main = windows->mainForm.get();
        if (showMain) main->show();
    }
    void SetUp() override { openWindows(); }
    void TearDown() override {
        windows.reset();
        clearSettings();
    }
    static void clearSettings() {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }

    orvo::PlotSettings& plot() { return windows->state.plot.settings; }
    orvo::SeriesList& list() { return plot().series; }
    // Writes text to name in the temporary folder; the file's path.
    QString write(const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }

    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* main = nullptr;
    QTemporaryDir dir;
};

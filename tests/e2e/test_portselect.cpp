// The port list and `orvo --port NAME`: "Simulator" always ends the list, and a requested
// port (listed, "Simulator" or a typed pseudo-terminal path) is the one selected.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QSettings>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/appwindows.h"
#include "app/tmainform.h"
#include "link/comm.h"
#include "scriptedprompts.h"
#include "showmain.h"

namespace {

class PortSelectTest : public ::testing::Test {
  protected:
    void SetUp() override { QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear(); }
    void TearDown() override {
        windows.reset();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }
    QComboBox* show(const QString& requested) {
        windows = std::make_unique<AppWindows>(&prompts);
        windows->mainForm->setRequestedPort(requested);
        showMainForm(*windows->mainForm);
        return windows->mainForm->findChild<QComboBox*>(QStringLiteral("CommPortBox"));
    }
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

} // namespace

TEST_F(PortSelectTest, SimulatorEndsTheListAndCanBeRequested) {
    QComboBox* box = show(QStringLiteral("Simulator"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->itemText(box->count() - 1), QStringLiteral("Simulator"));
    EXPECT_EQ(box->findText(QStringLiteral("Simulator")), box->count() - 1); // listed once
    EXPECT_EQ(box->currentText(), QStringLiteral("Simulator"));
    EXPECT_TRUE(box->isEditable());
}

TEST_F(PortSelectTest, TypedPtyPathIsSelectedAndOpens) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QString path = QString::fromLocal8Bit(ptsname(master));
    QComboBox* box = show(path);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), path);
    EXPECT_EQ(box->itemText(box->count() - 1), QStringLiteral("Simulator"));
    // What the window would open is a working port.
    orvo::Link& link = windows->mainForm->state().link;
    ASSERT_EQ(link.CommOpen(box->currentText().toStdString(), 5, 0), orvo::LinkStatus::Ok)
        << link.CommLastError();
    ASSERT_EQ(write(master, "hi\n", 3), 3);
    char line[8];
    EXPECT_EQ(link.CommReadLine(line, 7, 1000), 2);
    EXPECT_STREQ(line, "hi");
    link.CommClose();
    close(master);
}

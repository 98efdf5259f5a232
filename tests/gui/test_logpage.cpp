// The hidden Log Data page: Start/Stop against the built-in emulated module on a virtual clock,
// the not-connected rule and the transaction guard, and the strip chart's pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>

#include "app/appwindows.h"
#include "app/moduletransactions.h"
#include "app/tmainform.h"
#include "controls.h"
#include "link/comm.h"
#include "recordingsimulator.h"
#include "scriptedprompts.h"
#include "showmain.h"
#include "sim/module.h"

using namespace orvo;

namespace {

class LogPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
        windows = std::make_unique<AppWindows>(&prompts);
        link().CommSetClock(&clock);
        recordSimulatorPort(link(), wire);
        showMainForm(*windows->mainForm);
        QComboBox* ports = control<QComboBox>(&form(), "CommPortBox");
        ports->setCurrentIndex(ports->findText(SimulatorPortName));
    }
    void TearDown() override {
        windows.reset();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }
    TMainForm& form() { return *windows->mainForm; }
    orvo::PortLink& link() { return form().state().link; }

    VirtualClock clock{1000};
    Wire wire;
    std::string& written = wire.written;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

const QRgb Black = qRgb(0, 0, 0);
const QRgb Grey = qRgb(0x80, 0x80, 0x80);
const QRgb Red = qRgb(0xFF, 0, 0);

QImage chart(TMainForm& f) {
    return control<QWidget>(&f, "AltBox")->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The topmost red pixel of column x, or -1.
int topRed(const QImage& img, int x) {
    for (int y = 0; y < img.height(); ++y)
        if (img.pixel(x, y) == Red) return y;
    return -1;
}

} // namespace

TEST_F(LogPageTest, PageStartsWithItsReadoutsAndAHiddenTab) {
    TMainForm& f = form();
    QTabWidget* pages = control<QTabWidget>(&f, "PageControl1");
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(control<QWidget>(&f, "LogPage"))));
    EXPECT_EQ(control<QLabel>(&f, "Label2")->text(), "Time");
    EXPECT_EQ(control<QLabel>(&f, "Panel3")->text(), "0d 00:00:00.00");
    EXPECT_EQ(control<QLabel>(&f, "Label3")->text(), "Altitude (feet)");
    EXPECT_EQ(control<QLabel>(&f, "AltDisp")->text(), "10000");
    EXPECT_EQ(control<QLabel>(&f, "AMaxLabel")->text(), "10000");
    EXPECT_EQ(control<QLabel>(&f, "AMinLabel")->text(), "0");
    EXPECT_EQ(control<QPushButton>(&f, "StartBtn")->text(), "Start");
    EXPECT_EQ(control<QPushButton>(&f, "ClearBtn")->text(), "Clear");
    EXPECT_FALSE(control<QTimer>(&f, "Timer1")->isActive());
    EXPECT_EQ(static_cast<int>(f.state().liveLog.size()), control<QWidget>(&f, "AltBox")->width());
}

TEST_F(LogPageTest, StartWhileNotConnectedSaysSoOnTheConnectPage) {
    TMainForm& f = form();
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "LogPage"));
    control<QPushButton>(&f, "StartBtn")->click();
    EXPECT_EQ(control<QPlainTextEdit>(&f, "InfoText")->toPlainText(), "Not Connected");
    EXPECT_EQ(control<QTabWidget>(&f, "PageControl1")->currentWidget(), control<QWidget>(&f, "ConnectPage"));
    EXPECT_EQ(control<QPushButton>(&f, "StartBtn")->text(), "Start");
    EXPECT_FALSE(f.state().logging);
    EXPECT_FALSE(control<QTimer>(&f, "Timer1")->isActive());
    EXPECT_TRUE(control<QLabel>(&f, "LogDisp")->text().isEmpty());
    EXPECT_TRUE(written.empty());
}

TEST_F(LogPageTest, StartThenStopSendsOneLogCommand) {
    TMainForm& f = form();
    control<QPushButton>(&f, "ConnectBtn")->click();
    ASSERT_TRUE(f.state().connected);
    written.clear();
    auto* startBtn = control<QPushButton>(&f, "StartBtn");

    // Refused while another exchange runs.
    {
        auto busy = f.transactions()->begin();
        f.StartBtnClick();
        EXPECT_EQ(startBtn->text(), "Start");
    }
    EXPECT_TRUE(written.empty());

    startBtn->click();
    EXPECT_EQ(written, "l");
    EXPECT_TRUE(link().simulator().logging());
    EXPECT_EQ(startBtn->text(), "Stop");
    EXPECT_EQ(control<QLabel>(&f, "LogDisp")->text(), "Logging");
    auto* logTimer = control<QTimer>(&f, "Timer1");
    EXPECT_TRUE(logTimer->isActive());
    EXPECT_EQ(logTimer->interval(), 250);

    // A download-like exchange holds the timer and gives it back.
    { auto busy = f.transactions()->begin(); }
    EXPECT_TRUE(logTimer->isActive());

    startBtn->click();
    EXPECT_EQ(written, "l");
    EXPECT_EQ(startBtn->text(), "Start");
    EXPECT_TRUE(control<QLabel>(&f, "LogDisp")->text().isEmpty());
    EXPECT_FALSE(logTimer->isActive());
    EXPECT_FALSE(f.state().logging);
}

TEST_F(LogPageTest, StripChartDrawsGridAndTheNewestReadingAtTheRightEdge) {
    TMainForm& f = form();
    AppState& s = f.state();
    const int w = control<QWidget>(&f, "AltBox")->width();
    const int h = control<QWidget>(&f, "AltBox")->height();
    auto gridRow = [h](int y) {
        for (int i = 0; i <= 10; ++i)
            if (y == i * h / 10) return true;
        return false;
    };

    // No line with 0 or 1 entries: only black and the 11 grey lines (the last lies below the box).
    for (int count : {0, 1}) {
        std::fill(s.liveLog.begin(), s.liveLog.end(), 5000.0);
        s.logTail = 0;
        s.logHead = count;
        s.logCount = count;
        const QImage img = chart(f);
        ASSERT_EQ(img.size(), QSize(w, h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; x += 7)
                ASSERT_EQ(img.pixel(x, y), gridRow(y) ? Grey : Black) << count << " at " << x << "," << y;
    }

    // 160 readings wrapping round the end of the ring: 2000 ft each, the newest 8000 ft.
    std::fill(s.liveLog.begin(), s.liveLog.end(), 2000.0);
    s.logTail = w - 60;
    s.logHead = 100;
    s.logCount = 160;
    s.liveLog[99] = 8000.0;
    const QImage img = chart(f);
    const int yNewest = static_cast<int>(h - 8000.0 * (h / 10000.0));
    const int yOld = static_cast<int>(h - 2000.0 * (h / 10000.0));
    EXPECT_NEAR(topRed(img, w - 2), yNewest, 1);
    EXPECT_NEAR(topRed(img, w - 20), yOld, 1);
    // The oldest reading is 2 x 160 pixels from the right edge; nothing left of it.
    const int oldestX = w - 2 * 160;
    EXPECT_NEAR(topRed(img, oldestX + 1), yOld, 1);
    for (int x = 0; x < oldestX - 2; ++x)
        ASSERT_EQ(topRed(img, x), -1) << x;
}

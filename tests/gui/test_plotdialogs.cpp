// The Graph Scale and Edit Plot Info dialogs opened from the Recorded Data page and driven
// through their own controls, with the colour choices answered by the scripted prompts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include "app/appwindows.h"
#include "app/plotbox.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "app/tscaleform.h"
#include "controls.h"
#include "scriptedprompts.h"

namespace {

void clearStore() {
    QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    s.clear();
    s.sync();
}

class PlotDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearStore();
        start();
    }
    void TearDown() override {
        windows.reset();
        clearStore();
    }
    void start() {
        windows = std::make_unique<AppWindows>(&prompts);
        main = windows->mainForm.get();
        main->show(); // one data set of 21 points, (0,0)..(20,20)
        control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
        scale = windows->scaleForm.get();
        info = windows->editInfoForm.get();
        settle();
    }
    void settle() { QCoreApplication::processEvents(); }
    orvo::PlotSettings& plot() { return windows->state.plot.settings; }
    QRgb backgroundPixel() {
        const PlotBoxWidget* box = control<PlotBoxWidget>(main, "PlotBox");
        return box->picture().pixel(box->width() / 2, 2);
    }
    // Opens a dialog through its page button; action stands in for the user.
    void open(QPushButton* button, std::function<int(QDialog*)> action) {
        prompts.dialogActions.push_back(std::move(action));
        button->click();
        settle();
    }
    static int press(QDialog* d, QPushButton* b) {
        b->click();
        return d->result();
    }

    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* main = nullptr;
    TScaleForm* scale = nullptr;
    TEditInfoForm* info = nullptr;
};

} // namespace

TEST_F(PlotDialogsTest, ButtonsHintsAndTheScaleDialogsTabOrder) {
    EXPECT_EQ(control<QPushButton>(main, "ScaleBtn")->toolTip(), "Manually set plot scale");
    EXPECT_EQ(control<QPushButton>(main, "EditBtn")->toolTip(), "Edit plot colors and text");
    EXPECT_EQ(scale->XMinLabel->text(), "Time Min");
    EXPECT_EQ(scale->YMaxLabel->text(), "Altitude Max");
    QStringList order;
    for (QWidget* w = scale->XMinEdit; order.size() < 7; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    EXPECT_EQ(order.join(' '), "XMinEdit XMaxEdit YMinEdit YMaxEdit CancelBtn OkBtn AutoBtn");
    EXPECT_FALSE(info->ShowROCChk->isVisibleTo(info));
    EXPECT_FALSE(info->DataLenBtn->isVisibleTo(info));
    EXPECT_TRUE(info->ShowInfoChk->isVisibleTo(info));
    // Both open in the middle of the screen, not over the main window's corner.
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    for (QDialog* d : {static_cast<QDialog*>(scale), static_cast<QDialog*>(info)}) {
        d->show();
        settle();
        EXPECT_LE((d->frameGeometry().center() - middle).manhattanLength(), 2)
            << d->objectName().toStdString();
        d->hide();
    }
}

TEST_F(PlotDialogsTest, ScaleCancelLeavesTheViewAndOkTakesEveryLimitThatIsANumber) {
    plot().timeMax = 37.25;
    open(control<QPushButton>(main, "ScaleBtn"), [&](QDialog* d) {
        EXPECT_EQ(scale->XMinEdit->text(), "0");
        EXPECT_EQ(scale->XMaxEdit->text(), "37.25");
        EXPECT_EQ(scale->YMaxEdit->text(), "20");
        scale->XMinEdit->setText("5");
        return press(d, scale->CancelBtn);
    });
    EXPECT_EQ(plot().timeMin, 0);
    EXPECT_EQ(windows->state.plot.home.timeMax, 20);

    const int renders = control<PlotBoxWidget>(main, "PlotBox")->renderCount();
    open(control<QPushButton>(main, "ScaleBtn"), [&](QDialog* d) {
        scale->XMinEdit->setText("5");
        scale->XMaxEdit->setText("nan"); // the C library reads this; the limit must stay finite
        scale->YMinEdit->setText(" -10.5 ft");
        scale->YMaxEdit->setText("-20"); // reversed: kept as typed
        return press(d, scale->OkBtn);
    });
    EXPECT_EQ(plot().timeMin, 5);
    EXPECT_EQ(plot().timeMax, 37.25);
    EXPECT_EQ(plot().altitudeMin, -10.5);
    EXPECT_EQ(plot().altitudeMax, -20);
    EXPECT_GT(control<PlotBoxWidget>(main, "PlotBox")->renderCount(), renders);
    EXPECT_TRUE(prompts.messages.empty());
    // The Reset button now returns here.
    plot().timeMin = 99;
    control<QPushButton>(main, "ZoomResetBtn")->click();
    EXPECT_EQ(plot().timeMin, 5);
    EXPECT_EQ(plot().timeMax, 37.25);
    EXPECT_EQ(plot().altitudeMax, -20);
}

TEST_F(PlotDialogsTest, AutoChangesTheViewAtOnceAndOkAfterItStartsTimeAtZero) {
    orvo::SampleBuffer& b = plot().series.dataSet(0).samples;
    b.count = 24;
    for (int i = 0; i < b.count; ++i)
        b.time[std::size_t(i)] = 250 + 10 * i, b.altitude[std::size_t(i)] = 1012 + 15 * i;
    const int renders = control<PlotBoxWidget>(main, "PlotBox")->renderCount();
    open(control<QPushButton>(main, "ScaleBtn"), [&](QDialog* d) {
        scale->AutoBtn->click();
        EXPECT_EQ(plot().timeMin, 200);
        EXPECT_EQ(plot().timeMax, 500);
        EXPECT_EQ(windows->state.plot.home.timeMin, 200);
        EXPECT_EQ(scale->XMinEdit->text(), "0");
        EXPECT_EQ(scale->XMaxEdit->text(), "500");
        EXPECT_EQ(scale->YMinEdit->text(), "1000");
        EXPECT_EQ(scale->YMaxEdit->text(), "1400");
        settle(); // the plot behind the dialog shows the new view
        EXPECT_EQ(control<PlotBoxWidget>(main, "PlotBox")->renderCount(), renders + 1);
        return press(d, scale->CancelBtn);
    });
    EXPECT_EQ(plot().timeMin, 200);
    EXPECT_EQ(plot().timeMax, 500);
    EXPECT_EQ(windows->state.plot.home.altitudeMax, 1400);

    open(control<QPushButton>(main, "ScaleBtn"), [&](QDialog* d) {
        EXPECT_EQ(scale->XMinEdit->text(), "200");
        scale->AutoBtn->click();
        return press(d, scale->OkBtn);
    });
    EXPECT_EQ(plot().timeMin, 0);
    EXPECT_EQ(plot().timeMax, 500);
    EXPECT_EQ(windows->state.plot.home.timeMin, 0);
}

TEST_F(PlotDialogsTest, ColoursPreviewOnThePlotAndCancelPutsThemBack) {
    ASSERT_EQ(backgroundPixel(), qRgb(255, 255, 255));
    prompts.colours = {QColor(200, 30, 10), QColor(1, 2, 3)};
    open(control<QPushButton>(main, "EditBtn"), [&](QDialog* d) {
        auto* plotBox = control<PlotBoxWidget>(main, "PlotBox");
        const int renders = plotBox->renderCount();
        QTest::mouseClick(info->BGColorPanel, Qt::LeftButton);
        EXPECT_EQ(info->BGColorPanel->colour(), 0x000A1EC8u);
        settle();
        EXPECT_EQ(plotBox->renderCount(),
                  renders + 1); // one render per change
        EXPECT_EQ(backgroundPixel(), qRgb(200, 30, 10));
        QTest::mouseClick(info->GridColorPanel, Qt::LeftButton);
        EXPECT_EQ(plot().gridColour, 0x00030201u);
        // A cancelled colour choice changes nothing and redraws nothing.
        QTest::mouseClick(info->InfoColorPanel, Qt::LeftButton);
        settle();
        EXPECT_EQ(plot().infoColour, 0x000000FFu);
        EXPECT_EQ(plotBox->renderCount(), renders + 2);
        info->TitleText->setText("never taken");
        return press(d, info->BitBtn1);
    });
    EXPECT_EQ(plot().backgroundColour, 0x00FFFFFFu);
    EXPECT_EQ(plot().gridColour, 0x00808080u);
    EXPECT_EQ(plot().title, "Altitude versus Time");
    EXPECT_EQ(backgroundPixel(), qRgb(255, 255, 255));
    // The next opening shows the colours in force again.
    open(control<QPushButton>(main, "EditBtn"), [&](QDialog*) {
        EXPECT_EQ(info->BGColorPanel->colour(), 0x00FFFFFFu);
        EXPECT_EQ(info->TitleText->text(), "Altitude versus Time");
        return int(QDialog::Rejected);
    });
}

TEST_F(PlotDialogsTest, ShowFlagsActAtOnceAndOkCutsTheTextsTo255) {
    auto* editBtn = control<QPushButton>(main, "EditBtn");
    open(editBtn, [&](QDialog* d) {
        info->ShowInfoChk->click();
        EXPECT_FALSE(windows->state.plot.show.ShowInfo);
        info->ShowBackgroundChk->click();
        EXPECT_TRUE(windows->state.plot.show.ShowBackground);
        return press(d, info->BitBtn1);
    });
    // Cancel does not undo them, and the boxes keep their state at the next opening.
    EXPECT_FALSE(windows->state.plot.show.ShowInfo);
    EXPECT_TRUE(windows->state.plot.show.ShowBackground);
    open(editBtn, [&](QDialog* d) {
        EXPECT_FALSE(info->ShowInfoChk->isChecked());
        info->TitleText->setText(QString(300, 'T'));
        info->XAxisText->setText("Seconds");
        info->Info1Text->setText(QString(255, 'i') + QChar(0x00E9)); // no half character at the cut
        info->Info3Text->setText("max=812");
        return press(d, info->BitBtn2);
    });
    EXPECT_EQ(plot().title, std::string(255, 'T'));
    EXPECT_EQ(plot().xLabel, "Seconds");
    EXPECT_EQ(plot().info1, std::string(255, 'i'));
    EXPECT_EQ(plot().info3, "max=812");

    // A whole edit's worth of pasted non-ASCII text is cut at once (it used to take seconds per
    // box), and never inside a character of two or four bytes.
    const QString euro(QLineEdit().maxLength(), QChar(0x20AC));
    const QString clef = QString::fromUtf8("x\xF0\x9D\x84\x9E"); // 1 + 4 bytes
    QElapsedTimer clock;
    open(editBtn, [&](QDialog* d) {
        for (QLineEdit* e : {info->TitleText, info->XAxisText, info->YAxisText, info->Info1Text})
            e->setText(euro);
        info->Info2Text->setText(QString(254, 'a') + QChar(0x00E9));
        info->Info3Text->setText("ab" + clef.repeated(60));
        clock.start();
        return press(d, info->BitBtn2);
    });
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(plot().title, euro.left(85).toStdString()); // 85 x 3 = 255 bytes
    EXPECT_EQ(plot().info2, std::string(254, 'a'));
    EXPECT_EQ(plot().info3, ("ab" + clef.repeated(50) + "x").toStdString()); // 253 bytes
}

TEST_F(PlotDialogsTest, ColoursAndFlagsSetHereSurviveARestart) {
    prompts.colours = {QColor(0, 0, 64), QColor(0, 64, 0), QColor(64, 0, 0), QColor(1, 1, 1),
                       QColor(2, 2, 2)};
    open(control<QPushButton>(main, "EditBtn"), [&](QDialog* d) {
        for (ColourPanel* p : {info->BGColorPanel, info->GridColorPanel, info->ScaleColorPanel,
                               info->LabelColorPanel, info->InfoColorPanel})
            QTest::mouseClick(p, Qt::LeftButton);
        info->ShowInfoChk->click();
        info->ShowBackgroundChk->click();
        info->ShowROCChk->setChecked(true); // hidden: only the stored settings set it
        return press(d, info->BitBtn2);
    });
    EXPECT_TRUE(windows->state.plot.show.ShowAvgROC);
    main->close();
    windows.reset();
    start();
    const orvo::PlotSettings& p = plot();
    EXPECT_EQ(p.backgroundColour, 0x00400000u);
    EXPECT_EQ(p.gridColour, 0x00004000u);
    EXPECT_EQ(p.scaleColour, 0x00000040u);
    EXPECT_EQ(p.labelColour, 0x00010101u);
    EXPECT_EQ(p.infoColour, 0x00020202u);
    EXPECT_FALSE(info->ShowInfoChk->isChecked());
    EXPECT_TRUE(info->ShowBackgroundChk->isChecked());
    EXPECT_TRUE(info->ShowROCChk->isChecked());
    const orvo::ShowFlags& f = windows->state.plot.show;
    EXPECT_FALSE(f.ShowInfo);
    EXPECT_TRUE(f.ShowBackground);
    EXPECT_TRUE(f.ShowAvgROC);
}

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/appwindows.h"
#include "app/largeplot.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "app/windowplacement.h"
#include "controls.h"
#include "scriptedprompts.h"
#include "showmain.h"

namespace {

void clearStore() {
    QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    s.clear();
    s.sync();
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override { clearStore(); }
    void TearDown() override {
        windows.reset();
        clearStore();
    }
    TMainForm& start(StartMode mode = StartMode::AllAtOnce) {
        windows = std::make_unique<AppWindows>(&prompts, mode);
        showMainForm(*windows->mainForm);
        return *windows->mainForm;
    }
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

// What the window is once started must not depend on whether its pages were built before it was
// shown or after its first picture.
class MainFormStartTest : public MainFormTest, public ::testing::WithParamInterface<StartMode> {};

INSTANTIATE_TEST_SUITE_P(BothStarts, MainFormStartTest,
                         ::testing::Values(StartMode::AllAtOnce, StartMode::AfterFirstPicture));

} // namespace

TEST_F(MainFormTest, WindowsAreCreatedInOrderWithTheirCaptions) {
    windows = std::make_unique<AppWindows>(&prompts);
    const QWidget* forms[] = {windows->mainForm.get(),
                              (QWidget*)windows->prtLocForm.get(),
                              (QWidget*)windows->scaleForm.get(),
                              (QWidget*)windows->editInfoForm.get(),
                              (QWidget*)windows->dataLenForm.get(),
                              (QWidget*)windows->dataPropForm.get(),
                              (QWidget*)windows->modSetForm.get(),
                              (QWidget*)windows->saveSel.get()};
    const char* names[] = {"TMainForm",    "TPrtLocForm",   "TScaleForm",  "TEditInfoForm",
                           "TDataLenForm", "TDataPropForm", "TModSetForm", "TSaveSel"};
    const char* captions[] = {
        "Orvo",       "Output", "Graph Scale", "Edit Plot Info", "Edit Data Length", "Data Properties",
        "ModSetForm", "Save"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(forms[i]->objectName(), names[i]);
        EXPECT_EQ(forms[i]->windowTitle(), captions[i]);
        if (i > 0) {
            EXPECT_TRUE(forms[i]->isModal()) << names[i];
        }
    }
    const TMainForm& f = *windows->mainForm;
    EXPECT_EQ(f.size(), QSize(772, 565));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
}

TEST_P(MainFormStartTest, StartsOnAboutWithPagesStatusAndPortList) {
    TMainForm& f = start(GetParam());
    QTabWidget* pages = control<QTabWidget>(&f, "PageControl1");
    ASSERT_EQ(pages->count(), 5);
    const char* pageNames[] = {"ConnectPage", "ConfigurePage", "DataPage", "LogPage", "AboutPage"};
    const char* tabTexts[] = {"Connect / Download", "Configure", "Recorded Data", "Log Data", "About"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), pageNames[i]);
        EXPECT_EQ(pages->tabText(i), tabTexts[i]);
        EXPECT_EQ(pages->isTabVisible(i), i != 3);
    }
    EXPECT_EQ(pages->currentWidget(), control<QWidget>(&f, "AboutPage"));

    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Not Connected");
    EXPECT_FALSE(control<QProgressBar>(&f, "ProgressBar1")->isVisible());
    EXPECT_EQ(control<QProgressBar>(&f, "ProgressBar1")->maximum(), 100);
    EXPECT_FALSE(control<QCheckBox>(&f, "SimulateChk")->isVisible());
    EXPECT_EQ(control<QPushButton>(&f, "ConnectBtn")->text(), "Connect");
    EXPECT_EQ(control<QPushButton>(&f, "ConnectBtn")->toolTip(), "Connect or Disconnect to the Orvo Module");
    EXPECT_EQ(control<QPushButton>(&f, "DLDataBtn")->toolTip(), "Download specified data set.");
    EXPECT_EQ(control<QComboBox>(&f, "SetList")->placeholderText(), "(none)");
    auto* info = control<QPlainTextEdit>(&f, "InfoText");
    EXPECT_TRUE(info->isReadOnly());
    EXPECT_TRUE(info->font().bold());
    EXPECT_TRUE(info->font().fixedPitch() || QFontInfo(info->font()).fixedPitch());
    auto* speeds = control<QComboBox>(&f, "SpeedBox");
    ASSERT_EQ(speeds->count(), 6);
    EXPECT_EQ(speeds->itemText(0), "2400");
    // First run: speed 115200, the first port.
    EXPECT_EQ(speeds->currentText(), "115200");
    EXPECT_GT(control<QComboBox>(&f, "CommPortBox")->count(), 0);
    EXPECT_EQ(control<QComboBox>(&f, "CommPortBox")->currentIndex(), 0);
    EXPECT_EQ(control<QLabel>(&f, "AMaxLabel")->text(), "10000");
    EXPECT_EQ(control<QLabel>(&f, "AMinLabel")->text(), "0");
    EXPECT_EQ(f.state().liveLog.size(), static_cast<std::size_t>(control<QWidget>(&f, "AltBox")->width()));
    EXPECT_EQ(f.findChild<QLabel*>("VersionInfo")->text(), "3.4.0.0");
    EXPECT_FALSE(f.findChild<QLabel*>("BuildInfo")->text().isEmpty());

    // One initial data set in both name lists, selected.
    const auto& plot = f.state().plot;
    ASSERT_EQ(plot.settings.series.dataSetCount(), 1);
    EXPECT_EQ(control<QComboBox>(&f, "ActiveSetCombo")->count(), 1);
    EXPECT_EQ(control<QComboBox>(&f, "ActiveSetCombo")->currentText(), "Data000");
    EXPECT_EQ(windows->dataPropForm->SetListBox->currentRow(), 0);
    EXPECT_EQ(plot.settings.title, "Altitude versus Time");
    EXPECT_EQ(plot.settings.yLabel, "Altitude (Feet)");
    EXPECT_EQ(plot.home.timeMax, 20.0);
    EXPECT_TRUE(plot.show.ShowInfo);
    EXPECT_FALSE(plot.show.ShowBackground);
}

TEST_F(MainFormTest, TurnsToConnectAfterThreeSecondsUnlessTheUserChoseAPage) {
    TMainForm& f = start();
    auto* timer2 = control<QTimer>(&f, "Timer2");
    ASSERT_TRUE(timer2->isActive());
    EXPECT_EQ(timer2->interval(), 3000);
    f.Timer2Timer(); // the timer's tick
    EXPECT_EQ(control<QTabWidget>(&f, "PageControl1")->currentWidget(), control<QWidget>(&f, "ConnectPage"));
    EXPECT_FALSE(timer2->isActive());

    windows.reset();
    TMainForm& g = start();
    control<QLabel>(&g, "XYDisp")->setText("t=1");
    control<QTabWidget>(&g, "PageControl1")->tabBar()->setCurrentIndex(1); // the user picks Configure
    EXPECT_FALSE(control<QTimer>(&g, "Timer2")->isActive());
    EXPECT_TRUE(control<QLabel>(&g, "XYDisp")->text().isEmpty());
    EXPECT_EQ(control<QTabWidget>(&g, "PageControl1")->currentWidget(),
              control<QWidget>(&g, "ConfigurePage"));
}

TEST_F(MainFormTest, PlotShortcutsActOnlyOnTheRecordedDataPage) {
    TMainForm& f = start();
    auto& p = f.state().plot.settings;
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "DataPage"));
    QComboBox* target = control<QComboBox>(&f, "ActiveSetCombo");
    target->setFocus();

    QTest::keyClick(target, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMax, 5);
    QTest::keyClick(target, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(p.timeMax, 10);
    QTest::keyClick(target, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 10);
    QTest::keyClick(target, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 20);
    // Ctrl comes first: Ctrl+Shift+Right zooms, it does not pan.
    QTest::keyClick(target, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMax, 5);
    QTest::keyClick(target, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(p.timeMin, 0.5);
    EXPECT_DOUBLE_EQ(p.timeMax, 5.5);
    QTest::keyClick(target, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(p.altitudeMin, 2);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 22);
    QTest::keyClick(target, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(p.altitudeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    // The combo did not see the consumed arrows.
    EXPECT_EQ(target->currentIndex(), 0);
    QTest::keyClick(target, Qt::Key_Home, Qt::AltModifier);
    EXPECT_DOUBLE_EQ(p.timeMax, 20);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 20);

    // Elsewhere the arrows reach the focused control and the view stays.
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "ConnectPage"));
    auto* speeds = control<QComboBox>(&f, "SpeedBox");
    speeds->setCurrentIndex(5);
    speeds->setFocus();
    QTest::keyClick(speeds, Qt::Key_Up);
    EXPECT_EQ(speeds->currentIndex(), 4);
    QTest::keyClick(speeds, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(p.timeMax, 20);
}

TEST_P(MainFormStartTest, CloseWritesEverySettingAndTheNextStartReadsThem) {
    {
        TMainForm& f = start(GetParam());
        control<QComboBox>(&f, "SpeedBox")->setCurrentIndex(3);
        windows->editInfoForm->ShowROCChk->setChecked(true);
        f.state().plot.settings.gridColour = 0x00123456;
        f.close();
        EXPECT_TRUE(f.state().liveLog.empty());
        EXPECT_EQ(f.state().plot.settings.series.dataSetCount(), 0);
    }
    {
        QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
        s.beginGroup("Settings");
        EXPECT_EQ(s.childKeys().size(), 29);
        EXPECT_EQ(s.value("BaudRate").toInt(), 3);
        EXPECT_EQ(s.value("Interval").toInt(), 100);
    }
    windows.reset();
    TMainForm& g = start(GetParam());
    EXPECT_EQ(control<QComboBox>(&g, "SpeedBox")->currentText(), "19200");
    EXPECT_TRUE(windows->editInfoForm->ShowROCChk->isChecked());
    EXPECT_TRUE(g.state().plot.show.ShowAvgROC);
    EXPECT_EQ(g.state().plot.settings.gridColour, 0x00123456u);
}

TEST_F(MainFormTest, AboutLinksGoToTheShell) {
    TMainForm& f = start();
    QTest::mouseClick(control<QLabel>(&f, "AboutEmail"), Qt::LeftButton);
    ASSERT_EQ(prompts.openedUrls.size(), 1u);
    EXPECT_EQ(prompts.openedUrls[0].toString(), "mailto:" + control<QLabel>(&f, "AboutEmail")->text());
    // The Manual button depends on a manual beside the test program, which test_about lays out
    // for the length of its own test; it is tested there.
}

// The port list is filled right after the window's first picture: opening it scans again and keeps
// what the box shows (a typed device path too); a window closed before the list was filled keeps
// the saved port instead of storing "none".
TEST_F(MainFormTest, PortListFollowsTheFirstPictureAndEveryOpening) {
    {
        QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
        s.setValue(QStringLiteral("Settings/ComPort"), 1);
    }
    windows = std::make_unique<AppWindows>(&prompts);
    windows->mainForm->show();
    windows->mainForm->close();
    windows.reset();
    EXPECT_EQ(QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"))
                  .value(QStringLiteral("Settings/ComPort"))
                  .toInt(),
              1);

    TMainForm& f = start();
    auto* portBox = control<QComboBox>(&f, "CommPortBox");
    EXPECT_EQ(portBox->currentIndex(), 1);
    portBox->setEditText(QStringLiteral("/dev/pts/77"));
    portBox->showPopup();
    portBox->hidePopup();
    EXPECT_EQ(portBox->currentText(), "/dev/pts/77");
    EXPECT_EQ(portBox->itemText(portBox->count() - 1), "Simulator");
    const int ports = portBox->count();
    portBox->showPopup();
    portBox->hidePopup();
    EXPECT_EQ(portBox->count(), ports); // the typed path is not added twice
}

// Tab goes from the tab bar through the open page's controls to Close, as the window is built,
// on every page: the pages' controls join the window after its first layout and must not land
// behind Close.
TEST_P(MainFormStartTest, TabGoesFromTheTabBarThroughThePageToClose) {
    TMainForm& f = start(GetParam());
    auto* tabs = control<QTabWidget>(&f, "PageControl1");
    QWidget* close = control<QPushButton>(&f, "CloseBtn");
    for (const char* name : {"ConnectPage", "ConfigurePage", "DataPage", "AboutPage"}) {
        QWidget* page = control<QWidget>(&f, name);
        tabs->setCurrentWidget(page);
        // The widgets Tab stops at, in order, from the form once round its focus chain.
        QList<QWidget*> stops;
        for (QWidget* w = f.nextInFocusChain(); w != &f; w = w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&f) && w->isEnabled()) stops << w;
        const qsizetype bar = stops.indexOf(tabs->tabBar());
        const qsizetype closeAt = stops.indexOf(close);
        ASSERT_GE(bar, 0) << name;
        ASSERT_GT(closeAt, bar) << name;
        int onPage = 0;
        for (qsizetype i = 0; i < stops.size(); ++i)
            if (page->isAncestorOf(stops[i])) {
                ++onPage;
                EXPECT_TRUE(i > bar && i < closeAt) << name << " " << stops[i]->objectName().toStdString();
            }
        if (page->objectName() != "AboutPage") {
            EXPECT_GT(onPage, 0) << name;
        }
        // Every button of the page is one of them; nothing of the hidden Log Data page is.
        for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
            if (b->isVisibleTo(&f) && b->isEnabled()) {
                EXPECT_TRUE(stops.contains(b)) << name << " " << b->objectName().toStdString();
            }
        }
        for (QWidget* w : stops)
            EXPECT_FALSE(control<QWidget>(&f, "LogPage")->isAncestorOf(w)) << w->objectName().toStdString();
    }
}

TEST_F(MainFormTest, AFocusedButtonTakesSpaceAndEnterWhileTheArrowsStillMoveTheView) {
    TMainForm& f = start();
    auto& p = f.state().plot.settings;
    auto* tabs = control<QTabWidget>(&f, "PageControl1");
    tabs->setCurrentWidget(control<QWidget>(&f, "DataPage"));
    for (const Qt::Key press : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QPushButton* zoomIn = control<QPushButton>(&f, "ZoomInBtn");
        zoomIn->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(zoomIn->hasFocus());
        int clicks = 0;
        const auto counted = QObject::connect(zoomIn, &QPushButton::clicked, [&clicks] { ++clicks; });
        QTest::keyClick(zoomIn, press);
        QObject::disconnect(counted);
        EXPECT_EQ(clicks, 1) << press;
        const double before = p.timeMin;
        QTest::keyClick(zoomIn, Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_GT(p.timeMin, before) << press;
    }
    // Ctrl+Tab walks the visible tabs only.
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_NE(tabs->currentWidget(), control<QWidget>(&f, "LogPage"));
    }
}

// The first picture styles About alone: a page's controls are styled when the page is first
// opened, not all of them before the first picture.
TEST_P(MainFormStartTest, APagesControlsAreStyledWhenThePageIsFirstOpened) {
    TMainForm& f = start(GetParam());
    for (const char* name : {"ConnectBtn", "ReadCfgBtn", "StartBtn"})
        EXPECT_FALSE(control<QPushButton>(&f, name)->testAttribute(Qt::WA_WState_Polished)) << name;
    EXPECT_TRUE(control<QPushButton>(&f, "CloseBtn")->testAttribute(Qt::WA_WState_Polished));
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "ConnectPage"));
    EXPECT_TRUE(control<QPushButton>(&f, "ConnectBtn")->testAttribute(Qt::WA_WState_Polished));
    EXPECT_FALSE(control<QPushButton>(&f, "ReadCfgBtn")->testAttribute(Qt::WA_WState_Polished));
}

// Started as the program starts, the window's first picture has About and the frame only. A
// click, a key or a close that comes before the rest is built builds it first and then does what
// it would have done.
TEST_F(MainFormTest, AClickKeyOrCloseBeforeThePagesAreBuiltBuildsThemFirst) {
    const struct {
        const char* what;
        std::function<void(TMainForm&)> act;
        const char* page; // the page open afterwards
    } cases[] = {
        {"click on the Connect tab",
         [](TMainForm& f) {
             QTabBar* bar = control<QTabWidget>(&f, "PageControl1")->tabBar();
             QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
         },
         "ConnectPage"},
        {"Left on the tab bar", // past the hidden Log tab
         [](TMainForm& f) {
             QTest::keyClick(control<QTabWidget>(&f, "PageControl1")->tabBar(), Qt::Key_Left);
         },
         "DataPage"},
        {"close", [](TMainForm& f) { f.close(); }, "AboutPage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clearStore();
        windows = std::make_unique<AppWindows>(&prompts, StartMode::AfterFirstPicture);
        TMainForm& f = *windows->mainForm;
        f.show();
        EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("ConnectBtn")), nullptr);
        EXPECT_EQ(windows->dataPropForm, nullptr);
        c.act(f);
        EXPECT_NE(f.findChild<QPushButton*>(QStringLiteral("ConnectBtn")), nullptr);
        ASSERT_NE(windows->dataPropForm, nullptr);
        EXPECT_EQ(control<QTabWidget>(&f, "PageControl1")->currentWidget()->objectName(), c.page);
        if (f.isVisible()) {
            // FormShow has run: the first data set is in both name lists.
            EXPECT_EQ(control<QComboBox>(&f, "ActiveSetCombo")->count(), 1);
            EXPECT_EQ(windows->dataPropForm->SetListBox->count(), 1);
        } else {
            QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
            EXPECT_EQ(store.value(QStringLiteral("Settings/BaudRate")).toInt(), 5); // the window's speed
        }
        windows.reset();
    }
}

TEST(WindowPlacement, AWindowIsShrunkAndMovedIntoTheAvailableArea) {
    const QRect screen(0, 0, 1280, 1000);
    const struct {
        const char* name;
        QSize frame;
        QPoint centre;
        QRect available;
        QRect placed;
    } cases[] = {
        // The large plot over a main window low on a 1000-pixel-high screen.
        {"low", {1000, 630}, {640, 730}, screen, {140, 370, 1000, 630}},
        {"inside", {400, 300}, {640, 500}, screen, {440, 350, 400, 300}},
        {"left edge", {400, 300}, {10, 500}, screen, {0, 350, 400, 300}},
        // A 1280x800 screen with a 30-pixel panel at the top: the plot is made to fit.
        {"too big", {1300, 900}, {640, 400}, {0, 30, 1280, 770}, {0, 30, 1280, 770}},
        {"second screen", {1000, 630}, {2000, 100}, {1280, 0, 1920, 1080}, {1500, 0, 1000, 630}},
    };
    for (const auto& c : cases) {
        const QRect got = placeInside(c.frame, c.centre, c.available);
        EXPECT_EQ(got, c.placed) << c.name;
        EXPECT_TRUE(c.available.contains(got)) << c.name;
    }
}

TEST_F(MainFormTest, TheLargePlotAndTheDialogsOpenInsideTheMainWindowsScreen) {
    TMainForm& f = start();
    const QRect available = f.screen()->availableGeometry();
    // The main window low on the screen, as after a move by the user.
    f.move(available.left() + 20, available.bottom() - f.frameGeometry().height() / 2);
    f.dataPage()->showLargePlot();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.dataPage()->largePlot()));
    EXPECT_TRUE(available.contains(f.dataPage()->largePlot()->frameGeometry()))
        << f.dataPage()->largePlot()->frameGeometry().y();
    f.dataPage()->largePlot()->close();
    QDialog* dialog = windows->dataPropForm.get();
    QTimer::singleShot(0, dialog, [&] {
        EXPECT_TRUE(available.contains(dialog->frameGeometry()));
        dialog->reject();
    });
    dialog->exec();
}

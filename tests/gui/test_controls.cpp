// The main window's controls are known by their object names: users' habits, the GUI tests and
// the manual's pictures tool find each one by it. A control that loses its name, changes its kind,
// or is shadowed by a dialog's control of the same name breaks all of them.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QMetaObject>

#include "app/tmainform.h"
#include "controls.h"
#include "windowsfixture.h"

namespace {

struct Named {
    const QMetaObject* kind;
    std::vector<const char*> names;
};

// Every control of the window by kind (the export dialog is made on the first Export and found
// by the output tests).
const std::vector<Named> Controls = {
    {&QTabWidget::staticMetaObject, {"PageControl1"}},
    {&QWidget::staticMetaObject,
     {"ConnectPage", "ConfigurePage", "DataPage", "LogPage", "AboutPage", "AltBox"}},
    {&QPushButton::staticMetaObject,
     {"CloseBtn",   "ConnectBtn",     "DLInfoBtn",   "DLDataBtn",  "EraseDataBtn", "ZoomInBtn",
      "ZoomOutBtn", "ZoomResetBtn",   "ZoomCropBtn", "PanUpBtn",   "PanDnBtn",     "PanLtBtn",
      "PanRtBtn",   "ScaleBtn",       "EditBtn",     "PrtBtn",     "ExportBtn",    "SaveBtn",
      "LoadBtn",    "LineUpBtn",      "DataPropBtn", "ReadCfgBtn", "WriteCfgBtn",  "BitBtn1",
      "CalBtn",     "ResetModuleBtn", "UpdateBtn",   "StartBtn",   "ClearBtn",     "ManualBtn"}},
    {&QCheckBox::staticMetaObject,
     {"SimulateChk", "ShowPointsChk", "BlankChk", "TrigChk", "RevTrigChk", "BlankPartChk", "CompatChk"}},
    {&QStatusBar::staticMetaObject, {"StatusPanel"}},
    // Labels: the status bar's, the Recorded Data, Configure, Log Data and About pages'.
    {&QLabel::staticMetaObject, {"ConnectStatusDisp", "LogDisp", "XYDisp", "ROCDisp", "Image2"}},
    {&QLabel::staticMetaObject,
     {"HourPanel", "MinutePanel", "SecondPanel", "mSecPanel", "Msg1", "AboveUnitsPanel", "BelowUnitsPanel",
      "HoldTimePanel", "FirmwareVersionDisp"}},
    {&QLabel::staticMetaObject, {"AMaxLabel", "AMinLabel", "Label2", "Panel3", "Label3", "AltDisp"}},
    {&QLabel::staticMetaObject, {"Image1", "VersionInfo", "BuildInfo", "AboutEmail", "AboutWebSite"}},
    {&QProgressBar::staticMetaObject, {"ProgressBar1"}},
    {&QTimer::staticMetaObject, {"Timer1", "Timer2"}},
    {&QPlainTextEdit::staticMetaObject, {"InfoText"}},
    {&QComboBox::staticMetaObject, {"CommPortBox", "SpeedBox", "SetList", "ActiveSetCombo"}},
    {&PlotBoxWidget::staticMetaObject, {"PlotBox"}},
    {&QGroupBox::staticMetaObject,
     {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4", "GroupBox5", "GroupBox6", "GroupBox7", "GroupBox8",
      "MouseGrp"}},
    {&QButtonGroup::staticMetaObject, {"MouseGrpItems"}},
    {&SpinButton::staticMetaObject, {"HourSpin", "MinSpin", "SecSpin", "mSecSpin"}},
    {&RadioGroup::staticMetaObject, {"UnitsGrp", "AutoStartGrp", "AutoStopGrp", "AutoZeroGrp"}},
    {&QLineEdit::staticMetaObject,
     {"AutoStartSecEdit", "AutoStartAltitudeEdit", "AutoStopSecEdit", "AutoStopAltitudeEdit", "AltMinEdit",
      "AltMaxEdit", "AltStepEdit", "AltBandEdit", "AltCalEdit"}},
    {&QSlider::staticMetaObject, {"ServoOffBar", "ServoOnBar", "ServoHoldBar"}},
};

// The window an object is shown in: its own for a widget, its nearest widget's for a timer or
// a button group.
const QWidget* windowOf(const QObject* o) {
    while (o && !o->isWidgetType())
        o = o->parent();
    return o ? static_cast<const QWidget*>(o)->window() : nullptr;
}

} // namespace

class ControlsTest : public WindowsFixture {};

TEST_F(ControlsTest, EveryControlIsFoundByItsNameAsItsKindInTheMainWindow) {
    for (const Named& group : Controls)
        for (const char* name : group.names) {
            SCOPED_TRACE(name);
            const QObject* found = control<QObject>(main, name);
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(found->metaObject()->inherits(group.kind)) << found->metaObject()->className();
            // Not a dialog's control of the same name (the dialogs are children of the window).
            EXPECT_EQ(windowOf(found), main);
        }
}

TEST_F(ControlsTest, LookupThatFindsNothingFailsTheTestAndGivesNull) {
    const struct {
        const char* name;
        bool asComboBox; // asked for as a combo box rather than a push button
    } cases[] = {
        {"NoSuchBtn", false},  // no control of that name
        {"ConnectBtn", true},  // there is one, of another kind
        {"connectbtn", false}, // names are matched exactly
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QObject* found = reinterpret_cast<QObject*>(1);
        EXPECT_NONFATAL_FAILURE(found = c.asComboBox ? static_cast<QObject*>(control<QComboBox>(main, c.name))
                                                     : control<QPushButton>(main, c.name),
                                c.name);
        EXPECT_EQ(found, nullptr);
    }
}

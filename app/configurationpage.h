// The Configure page: its controls and handlers. The interval, units, options, altitude
// triggering and servo controls are shown, checked and collected through the configuration
// block's field table; Read / Write Config, Reset Defaults, the calibration, Reset Module and the
// firmware update run the module operations with the main window's log, questions and status
// bar. Made by the main window on the page it gives, and owned by it.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "link/configexchange.h"

namespace orvo {
struct CommandAndRead;
class InfoLog;
} // namespace orvo

struct AppState;
struct ConfigFieldControl;
struct StoredSettings;
class Prompts;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;
class RadioGroup;
class SpinButton;
class TMainForm;

class ConfigurationPage : public QObject {
    Q_OBJECT
  public:
    // Builds the page's controls on page.
    ConfigurationPage(TMainForm* form, QWidget* page);

    void applyConfigureSettings(const StoredSettings& s);
    void collectConfigureSettings(StoredSettings& s) const;
    // The module's firmware version, after Download Info.
    void showFirmwareVersion(const QString& version);
    // The hidden module setup may change the module version, and with it the display option's name.
    void showModuleVersion();

    // --- the block, the interval, units and servo ---
    // Reads the module's block into the in-memory copy and the page. False when no block came
    // (the user has been told) or the module is not connected.
    bool ReadConfiguration();
    void WriteConfiguration();
    void ResetConfigDefaults();
    void ShowSamplingInterval();
    void HourSpinUpClick();
    void HourSpinDownClick();
    void MinSpinUpClick();
    void MinSpinDownClick();
    void SecSpinUpClick();
    void SecSpinDownClick();
    void mSecSpinUpClick();
    void mSecSpinDownClick();
    void UnitsGrpClick();
    void ServoHoldBarChange();
    void ReadCfgBtnClick();
    void WriteCfgBtnClick();
    void BitBtn1Click();

    // --- calibration, reset and the firmware update ---
    void UpdateBtnClick();
    void CompatChkClick();
    void ResetModuleBtnClick();
    void CalBtnClick();

  private:
    TMainForm* m_form;
    AppState* m_state;
    Prompts* m_prompts;
    // The controls, found from outside by their object names (each is its member's name).
    QGroupBox* GroupBox1 = nullptr; // "Sampling Interval"
    QLabel* HourPanel = nullptr;
    QLabel* MinutePanel = nullptr;
    QLabel* SecondPanel = nullptr;
    QLabel* mSecPanel = nullptr;
    SpinButton* HourSpin = nullptr;
    SpinButton* MinSpin = nullptr;
    SpinButton* SecSpin = nullptr;
    SpinButton* mSecSpin = nullptr;
    QLabel* Msg1 = nullptr;
    RadioGroup* UnitsGrp = nullptr;
    QGroupBox* GroupBox2 = nullptr; // "Options"
    QCheckBox* BlankChk = nullptr;
    QCheckBox* TrigChk = nullptr;
    QCheckBox* RevTrigChk = nullptr;
    RadioGroup* AutoStartGrp = nullptr;
    QLineEdit* AutoStartSecEdit = nullptr;
    QLineEdit* AutoStartAltitudeEdit = nullptr;
    QLabel* AboveUnitsPanel = nullptr;
    RadioGroup* AutoStopGrp = nullptr;
    QLineEdit* AutoStopSecEdit = nullptr;
    QLineEdit* AutoStopAltitudeEdit = nullptr;
    QLabel* BelowUnitsPanel = nullptr;
    QLabel* CalUnitsPanel = nullptr; // the unit the calibration altitude is read in
    RadioGroup* AutoZeroGrp = nullptr;
    QGroupBox* GroupBox7 = nullptr; // "Altitude Triggering"
    QLineEdit* AltMinEdit = nullptr;
    QLineEdit* AltMaxEdit = nullptr;
    QLineEdit* AltStepEdit = nullptr;
    QLineEdit* AltBandEdit = nullptr;
    QGroupBox* GroupBox8 = nullptr; // "Servo Control"
    QSlider* ServoOffBar = nullptr;
    QSlider* ServoOnBar = nullptr;
    QSlider* ServoHoldBar = nullptr;
    QLabel* HoldTimePanel = nullptr;
    QPushButton* ReadCfgBtn = nullptr;
    QPushButton* WriteCfgBtn = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Reset Defaults"
    QGroupBox* GroupBox3 = nullptr; // "Calibration"
    QLineEdit* AltCalEdit = nullptr;
    QPushButton* CalBtn = nullptr;
    QPushButton* ResetModuleBtn = nullptr;
    QGroupBox* GroupBox4 = nullptr; // "Firmware"
    QLabel* FirmwareVersionDisp = nullptr;
    QPushButton* UpdateBtn = nullptr;
    QCheckBox* BlankPartChk = nullptr;
    QCheckBox* CompatChk = nullptr;

    void connectConfigureHandlers();
    bool configureConnected(); // false: the not-connected notice has been given
    void showConfigBlock();    // the controls from the in-memory block, after a read
    void collectConfigBlock(); // the in-memory block from the controls, before a write
    // Every control of a block field, with its field, in the page's order.
    std::vector<ConfigFieldControl> configFieldControls() const;
    bool m_configDoubtful = false; // the last block read was garbled: Write Config refuses
    // What ReadConfiguration does with a read, also after a reset, a calibration or the defaults.
    bool takeConfigurationRead(orvo::ConfigStatus status, const orvo::ConfigBlock& received,
                               const std::string& doubt);
    // Reset, calibrate and the defaults: the command and the read that follows it (given the block
    // to read into and the log), behind the wait cursor, then the read taken as above.
    void commandThenRead(
        const std::function<orvo::CommandAndRead(orvo::ConfigBlock* received, orvo::InfoLog& log)>& command);
    void connectFirmwareHandlers();
};

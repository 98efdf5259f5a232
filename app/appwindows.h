// Creates the program's eight windows in their fixed order and keeps them for the whole run.
#pragma once

#include <memory>

#include "app/appstate.h"

class Prompts;
class TMainForm;
class TPrtLocForm;
class TScaleForm;
class TEditInfoForm;
class TDataLenForm;
class TDataPropForm;
class TModSetForm;
class TSaveSel;

// AllAtOnce builds every window before the main window is shown. AfterFirstPicture (the program's
// start) builds the main window's frame and About page only; its other pages and the seven dialogs
// follow right after its first picture, or at the first key, click or drop if one comes sooner.
enum class StartMode { AllAtOnce, AfterFirstPicture };

class AppWindows {
  public:
    explicit AppWindows(Prompts* prompts, StartMode mode = StartMode::AllAtOnce);
    ~AppWindows();
    // The seven dialogs; the main window calls it when it completes its start. Once only.
    void createDialogs();

    AppState state;
    // Declared in creation order; destroyed in reverse, the main window last.
    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TPrtLocForm> prtLocForm;
    std::unique_ptr<TScaleForm> scaleForm;
    std::unique_ptr<TEditInfoForm> editInfoForm;
    std::unique_ptr<TDataLenForm> dataLenForm;
    std::unique_ptr<TDataPropForm> dataPropForm;
    std::unique_ptr<TModSetForm> modSetForm;
    std::unique_ptr<TSaveSel> saveSel;

  private:
    Prompts* m_prompts;
};

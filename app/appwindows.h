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

class AppWindows {
  public:
    explicit AppWindows(Prompts* prompts);
    ~AppWindows();

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
};

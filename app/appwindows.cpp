#include "app/appwindows.h"

#include "app/tdatalenform.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "app/tmodsetform.h"
#include "app/tprtlocform.h"
#include "app/tsavesel.h"
#include "app/tscaleform.h"

AppWindows::AppWindows(Prompts* prompts, StartMode mode) : m_prompts(prompts) {
    mainForm = std::make_unique<TMainForm>(&state, prompts);
    mainForm->setWindows(this);
    if (mode == StartMode::AllAtOnce) mainForm->completeStart();
}

void AppWindows::createDialogs() {
    if (prtLocForm) return;
    Prompts* const prompts = m_prompts;
    QWidget* owner = mainForm.get();
    prtLocForm = std::make_unique<TPrtLocForm>(&state, prompts, owner);
    scaleForm = std::make_unique<TScaleForm>(&state, prompts, owner);
    editInfoForm = std::make_unique<TEditInfoForm>(&state, prompts, owner);
    dataLenForm = std::make_unique<TDataLenForm>(&state, prompts, owner);
    dataPropForm = std::make_unique<TDataPropForm>(&state, prompts, owner);
    modSetForm = std::make_unique<TModSetForm>(&state, prompts, owner);
    saveSel = std::make_unique<TSaveSel>(&state, prompts, owner);
}

AppWindows::~AppWindows() {
    saveSel.reset();
    modSetForm.reset();
    dataPropForm.reset();
    dataLenForm.reset();
    editInfoForm.reset();
    scaleForm.reset();
    prtLocForm.reset();
    mainForm.reset();
}

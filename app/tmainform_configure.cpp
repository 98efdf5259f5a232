// The Configure page: the module's configuration block, calibration, reset and firmware.
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/tmainform.h"

void TMainForm::buildConfigurePage() {
    ConfigurePage = new QWidget;
    ConfigurePage->setObjectName("ConfigurePage");
    PageControl1->addTab(ConfigurePage, QStringLiteral("Configure"));
}

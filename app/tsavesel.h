// The "Save" dialog: asks before every save whether the active data set alone or the whole plot
// with all data sets is written. Keeps its choice between uses; the main window's Save shows it.
#pragma once

#include "app/orvodialog.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;

class TSaveSel : public OrvoDialog {
    Q_OBJECT
  public:
    enum Choice { ActiveDataSet = 0, PlotAndAllDataSets = 1 };

    TSaveSel(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // SaveGrp's selected index.
    int itemIndex() const;
    void setItemIndex(int index);

    QLabel* Label1 = nullptr;
    QGroupBox* SaveGrp = nullptr;
    QButtonGroup* SaveGrpItems = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel
};

// Keeps the two data set name lists (the Recorded Data page's set combo and the Data Properties
// list) in step with the SeriesList, as the model's observer.
#pragma once

#include "data/series.h"

class QComboBox;
class QListWidget;

class NameListBinder : public orvo::SetListObserver {
  public:
    NameListBinder(QComboBox* activeSetCombo, QListWidget* setListBox)
        : m_combo(activeSetCombo), m_list(setListBox) {}

    void dataSetAppended(int n, const std::string& name) override;
    void dataSetRemoved(int n) override;
    void dataSetRenamed(int n, const std::string& name) override;
    void dataSetInserted(int n, const std::string& name) override;

  private:
    QComboBox* m_combo;
    QListWidget* m_list;
};

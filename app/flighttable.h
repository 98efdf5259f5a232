// The table of all flights: every data set's flight statistics side by side, one row per set,
// each figure with its unit. A click on a row makes that set the active one; the table copies to
// the clipboard and saves as CSV. Opened from the Recorded Data page and the large plot.
#pragma once

#include <QDialog>
#include <QString>

class QTableWidget;
class QPushButton;
class TMainForm;

class FlightTableDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FlightTableDialog(TMainForm* form);

    // Fills the table afresh from the data sets as they are now.
    void refresh();
    // The table as tab-separated text with a header line, as the clipboard gets it.
    QString tableText() const;

    QTableWidget* FlightTable;
    QPushButton* CopyBtn;
    QPushButton* SaveCsvBtn;
    QPushButton* CloseBtn;

  public slots:
    void CopyBtnClick();
    void SaveCsvBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    TMainForm* m_form;
};

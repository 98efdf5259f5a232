// The import dialog: another program's CSV file's columns with their first values, the program's
// guess preselected, and the flyer's choice of the time column, the altitude column and the
// altitude unit. The load asks it (through Prompts) when the guess is doubtful, or whenever the
// flyer imports a file with "Import"; a choice is remembered for files with the same header.
#pragma once

#include <QDialog>

#include "data/csvimport.h"

class QComboBox;
class QLabel;
class QTableWidget;

class CsvImportDialog : public QDialog {
  public:
    explicit CsvImportDialog(QWidget* parent = nullptr);
    // Fills the dialog from a recognised file, with mapping preselected.
    void setLayout(const orvo::CsvLayout& layout, const orvo::CsvMapping& mapping);
    // The mapping chosen: the columns, and the unit (nullptr: as the file or plot says).
    orvo::CsvMapping mapping() const;

    QComboBox* TimeCombo = nullptr;
    QComboBox* AltitudeCombo = nullptr;
    QComboBox* UnitCombo = nullptr;
    QTableWidget* ColumnTable = nullptr;
    QLabel* DoubtLabel = nullptr;

  private:
    orvo::CsvLayout m_layout;
    orvo::CsvMapping m_guess;
};

// What the flyer chose for files with a header, as the settings keep it: the column names and
// the unit's short name, or "" for the file's own; empty when nothing is remembered.
orvo::CsvChoice rememberedImportChoice(const std::string& headerKey);
void rememberImportChoice(const std::string& headerKey, const orvo::CsvLayout& layout,
                          const orvo::CsvMapping& mapping);

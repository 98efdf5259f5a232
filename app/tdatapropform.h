// The "Data Properties" dialog: edits one data set at a time (name, colours, line and point
// styles, notes, time and altitude shifts), deletes it, corrects its drift or offset and writes
// its photo list. The main window's DataPropBtn shows it; the file loader refreshes it.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <functional>

#include "app/orvodialog.h"
#include "data/series.h"

class QColor;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPushButton;

// A clickable panel that shows one colour; the dialog's three colour choices.
class ColourPanel : public QFrame {
    Q_OBJECT
  public:
    explicit ColourPanel(QWidget* parent = nullptr);
    orvo::Colour colour() const { return m_colour; }
    void setColour(orvo::Colour c);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    orvo::Colour m_colour = 0;
};

// Colours are 0x00BBGGRR values in the program and QColor on screen.
QColor toQColor(orvo::Colour c);
orvo::Colour fromQColor(const QColor& c);
// Cuts to at most maxBytes bytes of UTF-8 without splitting a character (the plot texts, names
// and notes are byte buffers in the data files).
std::string cutUtf8(const QString& text, std::size_t maxBytes);

// A list of styles whose items (and closed face) are pictures instead of text.
class StyleCombo : public QComboBox {
    Q_OBJECT
  public:
    using DrawItem = std::function<void(QPainter&, int index, const QRect& rect)>;
    StyleCombo(const QStringList& items, DrawItem draw, QWidget* parent = nullptr);
    const DrawItem& drawItem() const { return m_draw; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    DrawItem m_draw;
};

class TDataPropForm : public OrvoDialog {
    Q_OBJECT
  public:
    TDataPropForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // Called whenever the data or its look changed, so the plot can repaint.
    std::function<void()> plotChanged;

    QListWidget* SetListBox;
    QGroupBox* GroupBox1;
    QLineEdit* SignalDisplayNameEdit;
    ColourPanel* Line_Clr;
    StyleCombo* LineStyleCombo;
    ColourPanel* Pt_Clr;
    StyleCombo* PointStyleCombo;
    ColourPanel* Trig_Clr;
    StyleCombo* TrigStyleCombo;
    QLineEdit* XOffsetEdit;
    QLineEdit* YOffsetEdit;
    QLineEdit* XScaleEdit;
    QLineEdit* YScaleEdit;
    QLabel* XScaleLabel;
    QLabel* YScaleLabel;
    QLineEdit* Note1Edit;
    QLineEdit* Note2Edit;
    QLineEdit* Note3Edit;
    QPushButton* ApplyBtn;
    QPushButton* OKBtn;
    QPushButton* DelSetBtn;
    QPushButton* DriftBtn;
    QPushButton* OffsetBtn;
    QPushButton* PhotoBtn;
    QGroupBox* StatsGroup; // "Flight Statistics": read-only figures of the selected set
    QLabel* FlightStatsDisp;

    // The list entry being edited (-1 with no data set).
    int selectedSet() const;

    // The owner-drawn pictures of the style lists (item rectangle in item coordinates).
    static void LineStyleComboDrawItem(QPainter& p, int index, const QRect& rect);
    static void PointStyleComboDrawItem(QPainter& p, int index, const QRect& rect);

  public slots:
    void FormShow();
    void ShowSetProperties();
    void ApplySetProperties();
    void SetListBoxClick();
    void ApplyBtnClick();
    void Line_ClrClick(ColourPanel* panel);
    void DelSetBtnClick();
    void DriftBtnClick();
    void OffsetBtnClick();
    void PhotoBtnClick();
    void OKBtnClick();

  private:
    void setSetControlsEnabled(bool enabled);
    void changed();
    void showFlightStatistics(); // the statistics block from the selected data set
    void applyFields(int n);     // the edits' values into data set n

    bool m_applying = false; // the rename inside Apply must not refill the boxes
};

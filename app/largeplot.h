// The large plot: the Recorded Data page's plot in a window of its own that can be resized and
// maximised (F11 toggles full screen). It shows the same data sets, answers the same mouse tools
// and keys, and shows the cursor read-outs under the plot; the main window keeps its fixed size.
// Opened by F11 or a double-click on the page's plot.
#pragma once

#include <QWidget>

class QLabel;
class PlotBoxWidget;
class TMainForm;

class LargePlotWindow : public QWidget {
    Q_OBJECT
  public:
    // A window of its own, owned by form (closed with it).
    explicit LargePlotWindow(TMainForm* form);

    PlotBoxWidget* plotBox() const { return m_box; }
    // Copies the main window's cursor read-outs (position, rate) under the plot.
    void showReadouts();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TMainForm* m_form;
    PlotBoxWidget* m_box;
    QLabel* m_position;
    QLabel* m_rate;
};

// Opens the large plot on F11 in the main window's Recorded Data page or on a double-click on its
// plot; installed on the application by the main window.
class LargePlotOpener : public QObject {
    Q_OBJECT
  public:
    explicit LargePlotOpener(TMainForm* form);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TMainForm* m_form;
};

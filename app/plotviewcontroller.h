// The plot view's mouse tools and view keys, shared by every plot box that shows the data sets (the
// Recorded Data page's plot and the large plot). Each box hands its paints and mouse events here;
// a change of the view repaints only the plots that can be seen, and a plot covered by another
// plot's window is rendered when it comes back into sight. Owned by the main window, which
// supplies the mouse tool, the active set and where the read-outs go.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "plot/plotrender.h"
#include "plot/plotview.h"

struct AppState;
class PlotBoxWidget;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWidget;

class PlotViewController : public QObject {
    Q_OBJECT
  public:
    // What the view needs from the window around it.
    struct Hooks {
        std::function<int()> tool;      // 0 Zoom, 1 Climb, 2 Peak
        std::function<int()> activeSet; // -1 when none
        // The cursor read-outs: the position, and the rate of climb (empty: keep the last one).
        std::function<void(const QString& position, const QString& rate)> readouts;
        std::function<void()> clicked; // a left click on a plot
        std::function<void()> undo, redo;
    };

    PlotViewController(AppState* state, Hooks hooks, QObject* parent);

    // A plot box joins the view (its constructor calls this); it leaves when destroyed.
    void addBox(PlotBoxWidget* box);

    // The handlers of a plot box, for the box given.
    // Draws the screen plot and returns its layout; cache keeps what the next paint can reuse (the
    // plain renderer when null).
    orvo::PlotFrame PlotBoxPaint(PlotBoxWidget* box, QPainter& canvas, orvo::PlotRenderCache* cache);
    void PlotBoxClick();
    void PlotBoxMouseDown(PlotBoxWidget* box, QMouseEvent* event);
    void PlotBoxMouseMove(PlotBoxWidget* box, QMouseEvent* event);
    void PlotBoxMouseUp(PlotBoxWidget* box, QMouseEvent* event);

    // The view keys (Ctrl/Shift + arrows, Home, A, Ctrl+Z/Y); true when the key was one of them.
    bool viewKey(QKeyEvent* event);
    // Fits the view and the Reset view to every data set, as Scale, Auto does.
    void fitViewToAllSets();

    // Every plot that can be seen repaints; one covered by another plot's window waits until it
    // can be seen again.
    void repaint();
    // A plot is covered when another plot's window is the active one and lies over all of it.
    bool covered(const PlotBoxWidget* box) const;

    const orvo::MouseToolState& mouseTools() const { return m_mouse; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void repaintUncovered(); // the plots that waited, once they can be seen
    AppState* m_state;
    Hooks m_hooks;
    std::vector<PlotBoxWidget*> m_boxes;
    std::vector<PlotBoxWidget*> m_waiting; // covered at the last repaint
    orvo::MouseToolState m_mouse;
};

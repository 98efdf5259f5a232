// The plot view: the mouse tools, the view keys and the repaints of every plot box.
#include "app/plotviewcontroller.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "app/appstate.h"
#include "app/plotbox.h"
#include "plot/viewlimits.h"

PlotViewController::PlotViewController(AppState* state, Hooks hooks, QObject* parent)
    : QObject(parent), m_state(state), m_hooks(std::move(hooks)) {}

void PlotViewController::addBox(PlotBoxWidget* box) {
    m_boxes.push_back(box);
    connect(box, &QObject::destroyed, this, [this, box] {
        std::erase(m_boxes, box);
        std::erase(m_waiting, box);
    });
    // The plot's window tells when a covered plot comes back into sight; the box's window is
    // known once it is placed, so the filter goes on the box and on its window at the first show.
    box->installEventFilter(this);
}

void PlotViewController::repaint() {
    for (PlotBoxWidget* box : m_boxes) {
        if (covered(box)) {
            if (std::find(m_waiting.begin(), m_waiting.end(), box) == m_waiting.end())
                m_waiting.push_back(box);
        } else {
            box->update();
        }
    }
}

bool PlotViewController::covered(const PlotBoxWidget* box) const {
    if (!box->isVisible()) return false; // Qt paints nothing hidden; it asks for a paint at the show
    // What of the plot can be on screen at all.
    QRect seen(box->mapToGlobal(QPoint(0, 0)), box->size());
    if (const QScreen* screen = box->screen()) seen &= screen->geometry();
    if (seen.isEmpty()) return false;
    const QWidget* window = box->window();
    for (const PlotBoxWidget* other : m_boxes) {
        const QWidget* top = other->window();
        if (top == window || !top->isVisible() || top->isMinimized() || !top->isActiveWindow()) continue;
        if (top->frameGeometry().contains(seen)) return true;
    }
    return false;
}

void PlotViewController::repaintUncovered() {
    std::vector<PlotBoxWidget*> still;
    for (PlotBoxWidget* box : m_waiting) {
        if (covered(box))
            still.push_back(box);
        else
            box->update();
    }
    m_waiting.swap(still);
}

bool PlotViewController::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        // Every plot's window reports its moves, state changes and (de)activation.
        for (PlotBoxWidget* box : m_boxes)
            if (watched == box) box->window()->installEventFilter(this); // once: Qt keeps one entry
        [[fallthrough]];
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (!m_waiting.empty())
            QMetaObject::invokeMethod(this, &PlotViewController::repaintUncovered, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PlotViewController::fitViewToAllSets() {
    orvo::autoScaleView(m_state->plot.settings, m_state->plot.home);
    repaint();
}

orvo::PlotFrame PlotViewController::PlotBoxPaint(PlotBoxWidget* box, QPainter& canvas,
                                                 orvo::PlotRenderCache* cache) {
    const orvo::PlotState& plot = m_state->plot;
    m_mouse.circleShown = false;
    m_mouse.circleX = m_mouse.circleY = -10;
    const int ppiX = std::max(1, box->logicalDpiX());
    const int ppiY = std::max(1, box->logicalDpiY());
    // The screen always shows the box's size in colour; a print or export being prepared keeps
    // its own size and colour choice.
    // A print's distance from the page corner never moves the screen plot either.
    orvo::OutputSettings screen = plot.output;
    screen.width = double(box->width()) / ppiX;
    screen.height = double(box->height()) / ppiY;
    screen.left = screen.top = 0.0;
    screen.colour = 1;
    if (!cache)
        return orvo::RenderPlot(canvas, ppiX, ppiY, plot.settings, screen, plot.show, orvo::PlotBackground());
    return orvo::RenderPlot(canvas, ppiX, ppiY, plot.settings, screen, plot.show, orvo::PlotBackground(),
                            *cache);
}

void PlotViewController::PlotBoxClick() {
    if (m_hooks.clicked) m_hooks.clicked();
}

void PlotViewController::PlotBoxMouseMove(PlotBoxWidget* box, QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int X = pos.x(), Y = pos.y();
    const orvo::PlotFrame& f = box->frame();
    if (X < f.plotLeft || X > f.plotRight || Y < f.plotTop || Y > f.plotBottom) return;
    const orvo::PlotSettings& p = m_state->plot.settings;
    const double T = orvo::PixelToTime(p, f, X), A = orvo::PixelToAltitude(p, f, Y);

    const int tool = m_hooks.tool();
    if (tool == 0 || tool == 1) {
        const int drag = tool == 0 ? m_mouse.zoomDrag : m_mouse.climbDrag;
        if (!drag) {
            m_mouse.startX = X, m_mouse.startY = Y;
            m_mouse.startTime = T, m_mouse.startAltitude = A;
        }
        m_mouse.endX = X, m_mouse.endY = Y;
        m_mouse.endTime = T, m_mouse.endAltitude = A;
    }

    orvo::PlotOverlay overlay;
    const int n = m_hooks.activeSet();
    if (n >= 0) {
        const orvo::Series& s = p.series.dataSet(n);
        const int k = orvo::NearestSample(s, T);
        if (k >= 0) {
            m_mouse.cursorSample = k;
            if (m_hooks.readouts)
                m_hooks.readouts(orvo::CursorPositionText(s, k), orvo::CursorRateText(s, k));
            overlay.circle = true;
            overlay.centre =
                QPoint(f.plotLeft + orvo::TimeToPixel(p, f, s.samples.time[std::size_t(k)]),
                       f.plotTop + orvo::AltitudeToPixel(p, f, s.samples.altitude[std::size_t(k)]));
            m_mouse.climbEndSample = k;
            m_mouse.circleShown = true;
            m_mouse.circleX = overlay.centre.x();
            m_mouse.circleY = overlay.centre.y();
        }
    }
    overlay.zoomBand = m_mouse.zoomDrag != 0;
    overlay.climbBand = m_mouse.climbDrag != 0;
    overlay.bandStart = QPoint(m_mouse.startX, m_mouse.startY);
    overlay.bandEnd = QPoint(m_mouse.endX, m_mouse.endY);
    overlay.top = f.plotTop;
    overlay.bottom = f.plotBottom;
    box->setOverlay(overlay);
}

void PlotViewController::PlotBoxMouseDown(PlotBoxWidget*, QMouseEvent* event) {
    switch (m_hooks.tool()) {
    case 0:
        if (event->button() == Qt::LeftButton) m_mouse.zoomDrag = 1;
        break;
    case 1:
        m_mouse.climbDrag = 1;
        m_mouse.climbStartSample = m_mouse.cursorSample;
        break;
    case 2: {
        const int n = m_hooks.activeSet();
        if (n < 0) break;
        orvo::SampleBuffer& b = m_state->plot.settings.series.dataSet(n).samples;
        const int k = m_mouse.cursorSample;
        if (k < 0 || k >= b.count || !b.hasPeakMarks) break;
        m_state->history.record("Peak Mark", {n},
                                [&] { b.peakMark[std::size_t(k)] = b.peakMark[std::size_t(k)] ? 0 : 1; });
        repaint();
        break;
    }
    default:
        break;
    }
}

void PlotViewController::PlotBoxMouseUp(PlotBoxWidget*, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    orvo::PlotSettings& p = m_state->plot.settings;
    const int tool = m_hooks.tool();
    const bool big =
        orvo::DragIsBigEnough(m_mouse.startTime, m_mouse.startAltitude, m_mouse.endTime, m_mouse.endAltitude);
    if (tool == 0 && m_mouse.zoomDrag == 1) {
        m_mouse.zoomDrag = 0;
        if (big) {
            p.timeMin = std::min(m_mouse.startTime, m_mouse.endTime);
            p.timeMax = std::max(m_mouse.startTime, m_mouse.endTime);
            p.altitudeMin = std::min(m_mouse.startAltitude, m_mouse.endAltitude);
            p.altitudeMax = std::max(m_mouse.startAltitude, m_mouse.endAltitude);
        }
        repaint();
    } else if (tool == 1 && m_mouse.climbDrag == 1) {
        m_mouse.climbDrag = 0;
        const int n = m_hooks.activeSet();
        if (big && n >= 0) {
            m_state->history.record("Climb Mark", {n}, [&] {
                p.series.AddClimbMark(n, m_mouse.climbStartSample, m_mouse.climbEndSample);
            });
        }
        repaint();
    }
}

bool PlotViewController::viewKey(QKeyEvent* event) {
    orvo::PlotSettings& p = m_state->plot.settings;
    const double xSpan = p.timeMax - p.timeMin;
    const double ySpan = p.altitudeMax - p.altitudeMin;
    const auto mods = event->modifiers();
    const int key = event->key();
    bool handled = false;
    if (mods & Qt::ControlModifier) {
        handled = true;
        switch (key) {
        case Qt::Key_Left:
            p.timeMax = p.timeMin + 2.0 * xSpan;
            break;
        case Qt::Key_Right:
            p.timeMax = p.timeMin + 0.5 * xSpan;
            break;
        case Qt::Key_Up:
            p.altitudeMax = p.altitudeMin + 0.5 * ySpan;
            break;
        case Qt::Key_Down:
            p.altitudeMax = p.altitudeMin + 2.0 * ySpan;
            break;
        case Qt::Key_Z:
            (mods & Qt::ShiftModifier) ? m_hooks.redo() : m_hooks.undo();
            return true;
        case Qt::Key_Y:
            m_hooks.redo();
            return true;
        default:
            handled = false;
        }
    }
    if (!handled && (mods & Qt::ShiftModifier)) {
        handled = true;
        switch (key) {
        case Qt::Key_Left:
            p.timeMin -= 0.1 * xSpan, p.timeMax -= 0.1 * xSpan;
            break;
        case Qt::Key_Right:
            p.timeMin += 0.1 * xSpan, p.timeMax += 0.1 * xSpan;
            break;
        case Qt::Key_Up:
            p.altitudeMin += 0.1 * ySpan, p.altitudeMax += 0.1 * ySpan;
            break;
        case Qt::Key_Down:
            p.altitudeMin -= 0.1 * ySpan, p.altitudeMax -= 0.1 * ySpan;
            break;
        default:
            handled = false;
        }
    }
    if (!handled && key == Qt::Key_A &&
        !(mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier))) {
        fitViewToAllSets();
        return true;
    }
    if (!handled && key == Qt::Key_Home) {
        handled = true;
        p.timeMin = 0.0;
        p.timeMax = 20.0;
        p.altitudeMin = 0.0;
        p.altitudeMax = 20.0;
    }
    if (handled) repaint();
    return handled;
}

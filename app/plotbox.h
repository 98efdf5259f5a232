// The plot surface of the Recorded Data page. It keeps the last rendered picture and lays the
// cursor circle and rubber bands over it, so a mouse move repaints only the pixels the overlay
// touches and never re-renders the plot. Its paints and mouse events go to the plot view.
#pragma once

#include <QImage>
#include <QWidget>

#include "plot/plotoverlay.h"
#include "plot/plotrender.h"

class PlotViewController;

class PlotBoxWidget : public QWidget {
    Q_OBJECT
  public:
    PlotBoxWidget(PlotViewController* view, QWidget* parent);

    // The frame of the picture on screen (what the mouse tools map against).
    const orvo::PlotFrame& frame() const { return m_frame; }
    // Replaces the overlay and repaints only what changed.
    void setOverlay(const orvo::PlotOverlay& overlay);
    const orvo::PlotOverlay& overlay() const { return m_overlay; }
    // The cached picture without the overlay.
    const QImage& picture() const { return m_cache; }
    int renderCount() const { return m_renders; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    PlotViewController* m_view;
    QImage m_cache;
    orvo::PlotFrame m_frame;
    orvo::PlotRenderCache m_render; // the logo, frame, texts and reduced sets of the last renders
    orvo::PlotOverlay m_overlay;
    QRegion m_overlayDirty; // pixels an overlay change asked to repaint
    int m_renders = 0;
};

// The plot surface of the Recorded Data page: the cached picture and the overlay over it.
#include "app/plotbox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "app/plotviewcontroller.h"

PlotBoxWidget::PlotBoxWidget(PlotViewController* view, QWidget* parent) : QWidget(parent), m_view(view) {
    setObjectName("PlotBox");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
    view->addBox(this);
}

void PlotBoxWidget::setOverlay(const orvo::PlotOverlay& overlay) {
    const QRegion dirty = orvo::OverlayRegion(m_overlay) + orvo::OverlayRegion(overlay);
    m_overlay = overlay;
    m_overlayDirty += dirty;
    update(dirty);
}

void PlotBoxWidget::paintEvent(QPaintEvent* event) {
    // A paint that covers more than the overlay asked for is a real repaint: render afresh.
    // The circle and rubber band vanish with it.
    const bool overlayOnly =
        !m_cache.isNull() && m_cache.size() == size() && (event->region() - m_overlayDirty).isEmpty();
    m_overlayDirty = QRegion();
    if (!overlayOnly) {
        // The picture's image is kept between paints; a render through the cache paints all of
        // it (white where the plot leaves it).
        if (m_cache.size() != size()) m_cache = QImage(size(), QImage::Format_RGB32);
        {
            QPainter cp(&m_cache);
            m_frame = m_view->PlotBoxPaint(this, cp, &m_render);
        }
        m_overlay = orvo::PlotOverlay{};
        ++m_renders;
    }
    QPainter p(this);
    for (const QRect& r : event->region())
        p.drawImage(r.topLeft(), m_cache, r);
    orvo::DrawPlotOverlay(p, m_overlay);
}

void PlotBoxWidget::mousePressEvent(QMouseEvent* event) {
    m_view->PlotBoxMouseDown(this, event);
}
void PlotBoxWidget::mouseMoveEvent(QMouseEvent* event) {
    m_view->PlotBoxMouseMove(this, event);
}

void PlotBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    // A click comes between the press and the release, as on the desktop the program grew on.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_view->PlotBoxClick();
    m_view->PlotBoxMouseUp(this, event);
}

#include "app/windowplacement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

QRect placeInside(QSize frameSize, QPoint centre, QRect available) {
    const QSize size = frameSize.boundedTo(available.size());
    QRect r(centre - QPoint(size.width() / 2, size.height() / 2), size);
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - size.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - size.height() + 1));
    return r;
}

void placeWindow(QWidget* w, const QWidget* anchor, bool centred) {
    const QWidget* main = anchor ? anchor->window() : nullptr;
    QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
    if (!w || !screen) return;
    const QRect available = screen->availableGeometry();
    // Decorations are the window manager's: the main window shows how wide they are here.
    QMargins frame;
    if (main && main->isVisible()) {
        const QRect outer = main->frameGeometry(), inner = main->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QSize frameSize = w->size().grownBy(frame);
    const QPoint centre = centred || !main ? available.center() : main->frameGeometry().center();
    const QRect placed = placeInside(frameSize, centre, available);
    const QSize inner = placed.size().shrunkBy(frame);
    if (inner != w->size()) w->resize(inner.expandedTo(w->minimumSize()));
    w->move(placed.topLeft());
}

// Where the program's own windows open: inside the available area (the screen less its panels) of
// the screen the main window is on. The large plot and the dialogs call it before they show.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// A window frame of frameSize centred at centre, made no larger than available and moved until it
// lies wholly inside it.
QRect placeInside(QSize frameSize, QPoint centre, QRect available);

// Moves (and if need be shrinks) the top-level window w inside the available area of anchor's
// screen: centred on that area when centred, else centred over anchor's window. The frame
// (title bar and borders) is taken to be as wide as anchor's.
void placeWindow(QWidget* w, const QWidget* anchor, bool centred = false);

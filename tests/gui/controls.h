// Finds a control of the program's windows by its object name, as a user knows it by its name:
// control<QPushButton>(main, "LoadBtn"). The GUI tests and the manual's pictures tool reach the
// windows' controls only this way. The lookup runs through the window's object tree at each call
// (no pointer is kept), so it also finds controls a page builds later.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <source_location>

#include "app/configwidgets.h"
#include "app/plotbox.h"

// What a lookup that found nothing does, defined by the program that uses control(): a GUI test
// fails at the caller's line (tests/gui/guimain.cpp), the pictures tool says so and stops.
void controlMissing(const QObject* root, const char* name, const char* type, std::source_location where);

// The first T named name under root (root itself excluded); nullptr, after controlMissing, when
// there is none.
template <class T>
T* control(const QObject* root, const char* name,
           std::source_location where = std::source_location::current()) {
    T* found = root ? root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!found) controlMissing(root, name, T::staticMetaObject.className(), where);
    return found;
}

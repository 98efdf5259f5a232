// The Configure page's controls, each bound to its field of the configuration block: the page
// shows, checks and collects every control through its field's row (range and signedness come
// from the field table), so a new field is one row and one control.
#pragma once

#include <string>

#include "config/configfields.h"

class QWidget;

struct ConfigFieldControl {
    const orvo::ConfigField* field;
    // A QLineEdit (a number), a QCheckBox (an on/off byte), a RadioGroup (a code) or a QSlider.
    QWidget* control;
    // What a message calls an edit ("Alt Min"); empty for the other controls.
    const char* caption = "";
};

// The control shows the block's value of its field.
void showField(const ConfigFieldControl& row, const orvo::ConfigBlock& block);
// Empty when the control holds a value its field can take; else the message naming the control
// and the field's range. Only edits can hold a value out of range.
std::string fieldEntryProblem(const ConfigFieldControl& row);
// The block takes the control's value (an on/off byte left alone keeps the byte the module sent).
// The control's value is in range (fieldEntryProblem said so).
void collectField(const ConfigFieldControl& row, orvo::ConfigBlock& block);

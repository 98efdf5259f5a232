#include "app/configfieldcontrols.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>

#include "app/configwidgets.h"
#include "config/editnumber.h"

namespace {

std::string editText(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

void showField(const ConfigFieldControl& row, const orvo::ConfigBlock& block) {
    const long value = orvo::fieldValue(block, *row.field);
    if (auto* edit = qobject_cast<QLineEdit*>(row.control))
        edit->setText(QString::number(value)); // signed fields show their sign, the others never do
    else if (auto* check = qobject_cast<QCheckBox*>(row.control))
        check->setChecked(orvo::configFlagOn(static_cast<std::uint8_t>(value)));
    else if (auto* group = qobject_cast<RadioGroup*>(row.control))
        group->setItemIndex(int(value)); // a code beyond the items selects the last
    else if (auto* bar = qobject_cast<QSlider*>(row.control))
        bar->setValue(int(value)); // out of the bar's range: its nearest end
}

std::string fieldEntryProblem(const ConfigFieldControl& row) {
    auto* edit = qobject_cast<QLineEdit*>(row.control);
    if (!edit) return {};
    return orvo::editRangeProblem(editText(edit), row.caption, row.field->min, row.field->max);
}

void collectField(const ConfigFieldControl& row, orvo::ConfigBlock& block) {
    const orvo::ConfigField& f = *row.field;
    long value = orvo::fieldValue(block, f);
    if (auto* edit = qobject_cast<QLineEdit*>(row.control)) {
        const orvo::EditNumber n = orvo::parseEditNumber(editText(edit));
        const long magnitude = long(std::min<std::uint64_t>(n.magnitude, 1UL << 31));
        value = n.negative ? -magnitude : magnitude;
    } else if (auto* check = qobject_cast<QCheckBox*>(row.control)) {
        value = orvo::configFlagByte(static_cast<std::uint8_t>(value), check->isChecked());
    } else if (auto* group = qobject_cast<RadioGroup*>(row.control)) {
        value = std::max(0, group->itemIndex());
    } else if (auto* bar = qobject_cast<QSlider*>(row.control)) {
        value = bar->value();
    }
    orvo::setFieldValue(block, f, value);
}

#include "ui/controls/slot_check_box.h"

namespace ormel::ui {

SlotCheckBox::SlotCheckBox(QWidget* parent) : QCheckBox(parent) {}

CheckValue SlotCheckBox::Value() const {
    switch (checkState()) {
        case Qt::Checked:
            return CheckValue::Checked;
        case Qt::PartiallyChecked:
            return CheckValue::Grayed;
        case Qt::Unchecked:
            break;
    }
    return CheckValue::Clear;
}

void SlotCheckBox::SetValue(CheckValue value) {
    switch (value) {
        case CheckValue::Clear:
            setCheckState(Qt::Unchecked);
            return;
        case CheckValue::Checked:
            setCheckState(Qt::Checked);
            return;
        case CheckValue::Grayed:
            setCheckState(Qt::PartiallyChecked);
            return;
    }
}

// QCheckBox cycles through the grayed state once it has been set; the
// author only ever toggles between clear and checked.
void SlotCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace ormel::ui

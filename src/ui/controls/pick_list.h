// A drop-down list whose value is always one of its entries, picked with the
// mouse or the arrow keys.
//
// Assistive technology knows it by its own accessible name (Qt would name a
// combo box on Linux after its current entry, so that "Block" could not be
// found), reads the current entry as its value, and sees the entries as the
// list's items, each with the action "Press" that picks it.
#pragma once

#include <QComboBox>

namespace ormel::ui {

class PickList : public QComboBox {
    Q_OBJECT

  public:
    explicit PickList(QWidget* parent = nullptr);
};

}  // namespace ormel::ui

// A check box without caption holding 0 (clear), 1 (checked) or 2 (grayed).
// A click or the space bar toggles between clear and checked, as the author
// expects; a grayed box becomes checked. Only the program sets grayed.
#pragma once

#include <QCheckBox>

#include "agent/agent_description.h"

namespace ormel::ui {

class SlotCheckBox : public QCheckBox {
    Q_OBJECT

  public:
    explicit SlotCheckBox(QWidget* parent = nullptr);

    CheckValue Value() const;
    void SetValue(CheckValue value);

  protected:
    void nextCheckState() override;
};

}  // namespace ormel::ui

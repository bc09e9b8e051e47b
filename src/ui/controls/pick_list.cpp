#include "ui/controls/pick_list.h"

#include "ui/controls/accessible_items.h"

namespace ormel::ui {

namespace {

class PickListAccessible final : public ListEntriesAccessible {
  public:
    explicit PickListAccessible(PickList* list) : ListEntriesAccessible(list) {}

    void PressItem(int index) override { Entries().setCurrentIndex(index); }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? Entries().currentText()
                                          : ListEntriesAccessible::text(kind);
    }

  private:
    int ChosenIndex() const override { return Entries().currentIndex(); }
};

}  // namespace

PickList::PickList(QWidget* parent) : QComboBox(parent) {
    UseAccessible<PickList, PickListAccessible>();
}

}  // namespace ormel::ui

#include "ui/controls/pick_list.h"

#include "ui/controls/accessible_items.h"

namespace ormel::ui {

namespace {

class PickListAccessible final : public ItemsAccessible {
  public:
    explicit PickListAccessible(PickList* list)
        : ItemsAccessible(list, QAccessible::ComboBox, QAccessible::ListItem) {}

    int ItemCount() const override { return List().count(); }
    QString ItemName(int index) const override { return List().itemText(index); }
    QString ItemDescription(int) const override { return {}; }
    // The entries have no place of their own while the list is closed.
    QRect ItemRect(int) const override { return List().rect(); }
    QAccessible::State ItemState(int index) const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = List().currentIndex() == index;
        return state;
    }
    void PressItem(int index) override { List().setCurrentIndex(index); }

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? List().currentText() : ItemsAccessible::text(kind);
    }

  private:
    QComboBox& List() const { return *static_cast<QComboBox*>(widget()); }
};

}  // namespace

PickList::PickList(QWidget* parent) : QComboBox(parent) {
    UseAccessible<PickList, PickListAccessible>();
}

}  // namespace ormel::ui

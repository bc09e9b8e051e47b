// How assistive technology (screen readers, voice control) sees the program's
// own controls. Qt describes its standard widgets itself; a control of ours
// that draws parts which are no widgets of their own (the tabs of the command
// strip, the entries of a list) tells it about those parts here.
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <vector>

namespace ormel::ui {

// Has Qt describe every widget of class Control through Accessible, which is
// made from a Control*. Installed once, before the first widget is described.
template <class Control, class Accessible>
void UseAccessible() {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            auto* control = qobject_cast<Control*>(object);
            return control ? new Accessible(control) : nullptr;
        });
        return true;
    }();
}

// A widget described with a role of its own choosing, such as a dialog.
template <QAccessible::Role kRole>
class RoleAccessible : public QAccessibleWidget {
  public:
    explicit RoleAccessible(QWidget* widget) : QAccessibleWidget(widget, kRole) {}
};

// A control whose parts are its first children, each with a name, a place, a
// state and one action, "Press", that does what a click on the part does.
class ItemsAccessible : public QAccessibleWidget {
  public:
    ItemsAccessible(QWidget* control, QAccessible::Role role, QAccessible::Role item_role);
    ~ItemsAccessible() override;

    virtual int ItemCount() const = 0;
    virtual QString ItemName(int index) const = 0;
    virtual QString ItemDescription(int index) const = 0;
    // In the control's own coordinates.
    virtual QRect ItemRect(int index) const = 0;
    virtual QAccessible::State ItemState(int index) const = 0;
    virtual void PressItem(int index) = 0;
    QAccessible::Role ItemRole() const { return item_role_; }

    int childCount() const override { return ItemCount(); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

  protected:
    // The part's interface; null for an index out of range.
    QAccessibleInterface* Item(int index) const;

  private:
    QAccessible::Role item_role_;
    // The parts' interfaces, made when first asked for and owned here.
    mutable std::vector<QAccessible::Id> items_;
};

// A drop-down list's entries as its items, the chosen one selected; Press
// chooses an entry as a pick does.
class ListEntriesAccessible : public ItemsAccessible {
  public:
    explicit ListEntriesAccessible(QComboBox* list);

    int ItemCount() const override;
    QString ItemName(int index) const override;
    QString ItemDescription(int) const override { return {}; }
    // The entries have no place of their own while the list is closed.
    QRect ItemRect(int) const override;
    QAccessible::State ItemState(int index) const override;

  protected:
    QComboBox& Entries() const { return *static_cast<QComboBox*>(widget()); }
    // The chosen entry's index; -1 while none is chosen.
    virtual int ChosenIndex() const = 0;
};

}  // namespace ormel::ui

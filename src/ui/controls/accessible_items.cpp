#include "ui/controls/accessible_items.h"

#include <QPointer>
#include <QWidget>

namespace ormel::ui {

namespace {

// One part of a control: it answers from the control's interface, so that it
// follows the control's state and is no longer valid once the control is gone.
class Part final : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    Part(QWidget* control, int index) : control_(control), index_(index) {}

    bool isValid() const override { return Owner() && index_ < Owner()->ItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return control_ ? control_->window()->windowHandle() : nullptr;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return Owner(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        if (kind == QAccessible::Name) return Owner()->ItemName(index_);
        if (kind == QAccessible::Description) return Owner()->ItemDescription(index_);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect area = Owner()->ItemRect(index_);
        return {control_->mapToGlobal(area.topLeft()), area.size()};
    }
    QAccessible::Role role() const override {
        return Owner() ? Owner()->ItemRole() : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        if (isValid()) return Owner()->ItemState(index_);
        QAccessible::State gone;
        gone.invalid = true;
        return gone;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid()) Owner()->PressItem(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    ItemsAccessible* Owner() const {
        return control_ ? dynamic_cast<ItemsAccessible*>(
                              QAccessible::queryAccessibleInterface(control_.data()))
                        : nullptr;
    }

    QPointer<QWidget> control_;
    int index_;
};

}  // namespace

ItemsAccessible::ItemsAccessible(QWidget* control, QAccessible::Role role,
                                 QAccessible::Role item_role)
    : QAccessibleWidget(control, role), item_role_(item_role) {}

ItemsAccessible::~ItemsAccessible() {
    for (const QAccessible::Id id : items_) {
        if (id) QAccessible::deleteAccessibleInterface(id);
    }
}

QAccessibleInterface* ItemsAccessible::Item(int index) const {
    if (index < 0 || index >= ItemCount()) return nullptr;
    if (items_.size() <= static_cast<size_t>(index)) items_.resize(static_cast<size_t>(index) + 1);
    QAccessible::Id& id = items_[static_cast<size_t>(index)];
    if (!id) id = QAccessible::registerAccessibleInterface(new Part(widget(), index));
    return QAccessible::accessibleInterface(id);
}

QAccessibleInterface* ItemsAccessible::child(int index) const {
    return Item(index);
}

int ItemsAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < ItemCount(); ++i) {
        if (Item(i) == child) return i;
    }
    return -1;
}

QAccessibleInterface* ItemsAccessible::childAt(int x, int y) const {
    const QPoint pos = widget()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < ItemCount(); ++i) {
        if (ItemRect(i).contains(pos)) return Item(i);
    }
    return QAccessibleWidget::childAt(x, y);
}

ListEntriesAccessible::ListEntriesAccessible(QComboBox* list)
    : ItemsAccessible(list, QAccessible::ComboBox, QAccessible::ListItem) {}

int ListEntriesAccessible::ItemCount() const {
    return Entries().count();
}

QString ListEntriesAccessible::ItemName(int index) const {
    return Entries().itemText(index);
}

QRect ListEntriesAccessible::ItemRect(int) const {
    return Entries().rect();
}

QAccessible::State ListEntriesAccessible::ItemState(int index) const {
    QAccessible::State state;
    state.selectable = true;
    state.selected = ChosenIndex() == index;
    return state;
}

}  // namespace ormel::ui

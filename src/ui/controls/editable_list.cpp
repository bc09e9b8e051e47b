#include "ui/controls/editable_list.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <limits>
#include <stdexcept>

#include "ui/controls/accessible_items.h"

namespace ormel::ui {

namespace {

// QComboBox listens to its line edit's editingFinished and, when the text
// matches an entry, selects that entry (rewriting the text in the entry's
// spelling) and reports it as activated, as if the author had picked it.
// Leaving the box or pressing Enter must choose nothing here, so this line
// edit stays silent while it handles those two.
class QuietFinishLineEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void focusOutEvent(QFocusEvent* event) override {
        const QSignalBlocker quiet(this);
        QLineEdit::focusOutEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            const QSignalBlocker quiet(this);
            QLineEdit::keyPressEvent(event);
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

// The list as a combo box: its entries, which Press chooses, then its text
// box, which holds the focus and the value.
class EditableListAccessible final : public ListEntriesAccessible {
  public:
    explicit EditableListAccessible(EditableList* list) : ListEntriesAccessible(list) {}

    void PressItem(int index) override { List().Choose(index); }

    int childCount() const override { return ItemCount() + 1; }
    QAccessibleInterface* child(int index) const override {
        return index == ItemCount() ? TextBox() : ItemsAccessible::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child == TextBox() ? ItemCount()
                                           : ListEntriesAccessible::indexOfChild(child);
    }
    QAccessibleInterface* focusChild() const override {
        return List().lineEdit()->hasFocus() ? TextBox() : nullptr;
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? List().Text() : ListEntriesAccessible::text(kind);
    }

  private:
    int ChosenIndex() const override { return List().ChosenIndex(); }
    EditableList& List() const { return *static_cast<EditableList*>(widget()); }
    QAccessibleInterface* TextBox() const {
        return QAccessible::queryAccessibleInterface(List().lineEdit());
    }
};

}  // namespace

EditableList::EditableList(QWidget* parent) : QComboBox(parent) {
    UseAccessible<EditableList, EditableListAccessible>();
    // Giving the box its line edit makes it editable.
    setLineEdit(new QuietFinishLineEdit(this));
    // The text has no length limit (Qt's line edit cuts at 32767).
    lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    setInsertPolicy(QComboBox::NoInsert);
    // The default completer fills in a matching entry while the author types.
    setCompleter(nullptr);
    setCurrentIndex(-1);

    // activated is what QComboBox reports for a pick from the open list and
    // for the arrow and page keys, after it has shown the entry's text; the
    // line edit's own signals are quiet on the paths where QComboBox would
    // report it otherwise. Any other change of the text, typed or set through
    // assistive technology, leaves no entry chosen.
    connect(this, &QComboBox::activated, this, [this](int index) { chosen_ = index; });
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { chosen_ = -1; });
}

void EditableList::AddEntry(const QString& text, std::optional<int> code) {
    const int shown = currentIndex();
    const QString shown_text = Text();
    addItem(text, code ? QVariant(*code) : QVariant());
    // Adding the first entry makes it current; the shown text stays.
    if (shown == -1 && currentIndex() != -1) SetText(shown_text);
}

QString EditableList::Text() const {
    return lineEdit()->text();
}

void EditableList::SetText(const QString& text) {
    setCurrentIndex(-1);
    lineEdit()->setText(text);
    chosen_ = -1;
}

void EditableList::Choose(int index) {
    if (index < 0 || index >= count()) throw std::out_of_range("no such entry");
    setCurrentIndex(index);
    // The current entry chosen again shows its text again, as a pick does.
    lineEdit()->setText(itemText(index));
    emit activated(index);
    emit textActivated(itemText(index));
}

std::optional<int> EditableList::ChosenCode() const {
    if (chosen_ < 0) return std::nullopt;
    const QVariant code = itemData(chosen_);
    if (!code.isValid()) return std::nullopt;
    return code.toInt();
}

void EditableList::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

}  // namespace ormel::ui

// An editable drop-down list whose text is exactly what the author typed or
// picked, and which knows whether an entry of its list is chosen.
//
// An entry is chosen only when the author picks it: with the mouse from the
// open list, or with the arrow (and page) keys. Any edit of the text clears
// the choice, even when the text typed equals an entry, and so does every
// text the program sets. Qt's editable combo box would choose entries on its
// own (inline completion, matching the text on leaving the box or on Enter,
// inserting typed text as a new entry); none of that happens here.
//
// Assistive technology sees the entries as the list's items, each with the
// action "Press" that chooses it as a pick does, and the text box after them.
#pragma once

#include <QComboBox>
#include <optional>

namespace ormel::ui {

class EditableList : public QComboBox {
    Q_OBJECT

  public:
    explicit EditableList(QWidget* parent = nullptr);

    // Appends an entry; code is the number it carries as item data.
    void AddEntry(const QString& text, std::optional<int> code = std::nullopt);

    // The shown text, as typed or picked.
    QString Text() const;
    // Shows text as the program's own change: afterwards no entry is chosen.
    void SetText(const QString& text);
    // Chooses the entry as the author's pick does: its text shown, and it is
    // the chosen one. Throws std::out_of_range for no entry.
    void Choose(int index);

    // The index of the chosen entry, or -1 while none is chosen.
    int ChosenIndex() const { return chosen_; }
    // The code of the chosen entry; none while no entry is chosen, or when
    // the chosen entry carries no code.
    std::optional<int> ChosenCode() const;

  protected:
    // The wheel does not pick entries: scrolling the window over a list
    // must not change an agent's file types.
    void wheelEvent(QWheelEvent* event) override;

  private:
    int chosen_ = -1;
};

}  // namespace ormel::ui

// The program's one kind of message: a modal box captioned "Vantrel" with no
// icon and a single OK button.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ormel::ui {

inline constexpr char kMessageCaption[] = "Vantrel";

// Shows the text and returns when the author has pressed OK.
void ShowMessage(QWidget* parent, const QString& text);

// For tests: while an object of this class lives, messages are recorded in
// it instead of being shown, so no test waits on a modal box.
class RecordMessages {
  public:
    RecordMessages();
    ~RecordMessages();
    RecordMessages(const RecordMessages&) = delete;
    RecordMessages& operator=(const RecordMessages&) = delete;

    const QStringList& shown() const { return shown_; }

  private:
    friend void ShowMessage(QWidget*, const QString&);
    QStringList shown_;
    RecordMessages* previous_;
};

}  // namespace ormel::ui

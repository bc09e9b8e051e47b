// The program's one kind of message: a modal box captioned "Vantrel" with no
// icon and a single OK button; and its question, the same box with Yes and No.
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace ormel::ui {

inline constexpr char kMessageCaption[] = "Vantrel";

// Shows the text, with the detail beneath it as the box's informative text
// when there is one, and returns when the author has pressed OK.
void ShowMessage(QWidget* parent, const QString& text, const QString& detail = {});

// How a window shows its messages; tests put a recorder here, so that no
// test waits on a modal box.
using MessagePresenter =
    std::function<void(QWidget* parent, const QString& text, const QString& detail)>;

// Asks the question, with the detail beneath it, Yes the default button;
// true when the author has pressed Yes.
bool AskYesNo(QWidget* parent, const QString& text, const QString& detail = {});

// How a window asks its questions; tests answer them instead.
using QuestionPresenter =
    std::function<bool(QWidget* parent, const QString& text, const QString& detail)>;

}  // namespace ormel::ui

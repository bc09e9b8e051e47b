// The compile confirmation dialog: the checklist an author reads before a
// build, with OK to start the build and Cancel to go back to the form.
#pragma once

#include <functional>

#include <QString>
#include <QWidget>

namespace ormel::ui {

// A small fixed tool window, modeless and without an owner. It is a plain
// window rather than a QDialog because a QDialog presses its default button on
// Enter and closes on Escape; this one answers neither key. At most one is
// open at a time, and closing it destroys it, so each showing starts afresh.
class frmCompileIt final : public QWidget {
    Q_OBJECT

  public:
    // The checklist, ten lines, each ended by CR LF.
    static const QString kChecklist;

    // Shows the open dialog (raised and activated) if there is one, or creates
    // and shows a fresh one that calls onOk when OK is pressed. The onOk of a
    // call that finds the dialog open is not used. Returns the dialog shown.
    static frmCompileIt* ShowSingle(std::function<void()> onOk);

    // The open dialog, or nullptr when none is open.
    static frmCompileIt* Instance();

    // Closes and destroys the open dialog at once, if there is one. For the
    // main window's close, so that the dialog ends with the program and its OK
    // can no longer start a build. Not to be called from the dialog's own
    // event handlers.
    static void CloseIfOpen();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    explicit frmCompileIt(std::function<void()> onOk);
    void OnOk();

    std::function<void()> onOk_;
};

}  // namespace ormel::ui

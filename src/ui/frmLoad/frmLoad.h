// The progress window: "Compiling..." above a bar that fills in ten ticks of
// 100 ms. On the tenth tick it sets the main window's LoadFinished and closes
// itself; the build waits for that flag.
//
// At most one progress window exists. Each showing creates a fresh one that
// starts at 0, and it is destroyed when it closes. However it closes (also
// early, by a window-system close such as Alt+F4), the close counts as the
// end of the wait: LoadFinished becomes true, so the build cannot hang.
#pragma once

#include <QFrame>
#include <QPointer>
#include <chrono>

class QLabel;
class QProgressBar;
class QTimer;

namespace ormel::ui {

class frmAW;

class frmLoad : public QFrame {
    Q_OBJECT

  public:
    // Shows the progress window for the main window, modeless: a fresh one,
    // or the one already open. Returns at once.
    static frmLoad* ShowFor(frmAW& main);
    // The open progress window, or null.
    static frmLoad* Current();
    // The interval of tmrLoad for the windows shown from now on: 100 ms, or
    // a shorter one that tests set so that a wait takes milliseconds.
    // Positive; anything else is refused with std::out_of_range.
    static void SetTickInterval(std::chrono::milliseconds interval);
    static std::chrono::milliseconds TickInterval();

    // One tick of tmrLoad: one step of the bar; the tenth ends the wait.
    void tmrLoad_Timer();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    explicit frmLoad(frmAW& main);
    void CentreOnScreen();

    QPointer<frmAW> main_;
    QTimer* tmrLoad_ = nullptr;
    QProgressBar* pbrLoad_ = nullptr;
    QLabel* lbl1_ = nullptr;
};

}  // namespace ormel::ui

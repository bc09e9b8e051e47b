// Helpers for the window tests (Qt, offscreen).
#pragma once

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ui/frmAW/frmAW.h"

namespace ormel::test {

// Test classes register themselves; the one main runs them all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& RegisteredTests();
struct RegisterTest {
    explicit RegisterTest(TestFactory factory);
};
#define ORMEL_REGISTER_UI_TEST(Class)                          \
    static const ::ormel::test::RegisterTest register_##Class( \
        [] { return std::make_unique<Class>(); })

// Deletes the windows that have closed and names the top-level windows that
// are still there (empty when none leaked); deletes those too, so that one
// leaking test does not fail the next.
QString CloseLeftoverWindows();

// A main window, shown and active, deleted at the end unless it already
// closed itself.
class ShownMainWindow {
  public:
    ShownMainWindow();
    ~ShownMainWindow();
    ShownMainWindow(const ShownMainWindow&) = delete;
    ShownMainWindow& operator=(const ShownMainWindow&) = delete;

    ui::frmAW& operator*() const { return *window_; }
    ui::frmAW* operator->() const { return window_; }
    ui::frmAW* get() const { return window_; }

    // The control named name, of type Control; throws when there is none.
    template <class Control = QWidget>
    Control* Find(const QString& name) const {
        auto* control = window_->findChild<Control*>(name);
        if (!control) throw std::logic_error("no control " + name.toStdString());
        return control;
    }

    // Moves the mouse pointer over pos of control, as the window system
    // reports it (to the window, which finds the control under the pointer).
    void MovePointer(const QWidget& control, QPoint pos) const;
    void MovePointerToCentre(const QWidget& control) const;

    // The Help command starts no browser in tests; this counts its starts.
    int HelpStarts() const { return *help_starts_; }

  private:
    QPointer<ui::frmAW> window_;
    std::shared_ptr<int> help_starts_ = std::make_shared<int>(0);
};

}  // namespace ormel::test

// What every window test uses (Qt, offscreen): the program's windows and
// controls, registration with the one test main, the leak check, and a main
// window driven as the author drives it.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/slot_check_box.h"
#include "ui/frmAW/frmAW.h"
#include "ui/frmCompileIt/frmCompileIt.h"

namespace ormel::test {

// Test classes register themselves; the one main runs them all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& RegisteredTests();
struct RegisterTest {
    explicit RegisterTest(TestFactory factory) { RegisteredTests().push_back(std::move(factory)); }
};
#define ORMEL_REGISTER_UI_TEST(Class)                          \
    static const ::ormel::test::RegisterTest register_##Class( \
        [] { return std::make_unique<Class>(); })

// Adds the rows of a cases file beside these tests, a line each: "name | column
// | ...", all text, "-" for an empty one; lines starting with # explain.
void AddRows(const char* file, std::initializer_list<const char*> columns);

// Every window test: no test may leave a window open. Leftovers are deleted
// too, so that one leaking test does not fail the next.
class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();
};

// A main window, shown and active, deleted at the end unless it already
// closed itself. Its Help command starts no browser but records what it
// would start and open.
class ShownMainWindow {
  public:
    ShownMainWindow();
    ~ShownMainWindow() { delete window_.data(); }
    ShownMainWindow(const ShownMainWindow&) = delete;
    ShownMainWindow& operator=(const ShownMainWindow&) = delete;

    ui::frmAW* operator->() const { return window_; }
    ui::frmAW* get() const { return window_; }

    // The control named name, of type Control; throws when there is none.
    template <class Control = QWidget>
    Control* Find(const QString& name) const {
        auto* control = window_->findChild<Control*>(name);
        if (!control) throw std::logic_error("no control " + name.toStdString());
        return control;
    }

    // Replaces the text of a text box, or of a list, by typing.
    void Type(const QString& name, const QString& text) const;
    // Picks the entry `steps` entries down a list with the arrow key.
    void Pick(const QString& name, int steps) const;
    void Click(const QString& name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }
    void ClickTab(int index) const;
    // Clicks Compile; the dialog once it is active, or null.
    ui::frmCompileIt* Compile() const;

    // Help's calls: the programs started with their arguments, and the
    // pages opened in the default browser. Starting a program does what
    // `browser` says: "starts", "fails" or "throws".
    QString browser = "starts";
    QStringList started;
    QStringList opened;

  private:
    QPointer<ui::frmAW> window_;
};

}  // namespace ormel::test

#include "support/ui_windows.h"

#include <QTest>
#include <QWidget>

namespace ormel::test {

std::vector<TestFactory>& RegisteredTests() {
    static std::vector<TestFactory> tests;
    return tests;
}

RegisterTest::RegisterTest(TestFactory factory) {
    RegisteredTests().push_back(std::move(factory));
}

QString CloseLeftoverWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    QList<QPointer<QWidget>> leftovers;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // Popup lists belong to their drop-down list and go with it.
        if (window->parentWidget()) continue;
        names << QString::fromLatin1(window->metaObject()->className()) + " " +
                     window->objectName();
        leftovers << window;
    }
    for (const QPointer<QWidget>& window : leftovers) delete window.data();
    return names.join(", ");
}

ShownMainWindow::ShownMainWindow() : window_(new ui::frmAW) {
    window_->SetHelpLaunchers({
        .startProgram =
            [count = help_starts_](const QString&, const QString&) {
                ++*count;
                return true;
            },
        .openUrl = [](const QUrl&) { return false; },
    });
    window_->show();
    QApplication::setActiveWindow(window_);
    if (!QTest::qWaitForWindowActive(window_)) throw std::runtime_error("window not active");
}

ShownMainWindow::~ShownMainWindow() {
    delete window_.data();
}

void ShownMainWindow::MovePointer(const QWidget& control, QPoint pos) const {
    QTest::mouseMove(window_->windowHandle(), control.mapTo(window_, pos));
}

void ShownMainWindow::MovePointerToCentre(const QWidget& control) const {
    MovePointer(control, control.rect().center());
}

}  // namespace ormel::test

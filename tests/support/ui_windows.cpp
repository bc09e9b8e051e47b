#include "support/ui_windows.h"

#include <QFile>

namespace ormel::test {

std::vector<TestFactory>& RegisteredTests() {
    static std::vector<TestFactory> tests;
    return tests;
}

void AddRows(const char* file, std::initializer_list<const char*> columns) {
    for (const char* column : columns) QTest::addColumn<QString>(column);
    QFile cases(QStringLiteral(ORMEL_UI_CASES "/") + file);
    QVERIFY2(cases.open(QIODevice::ReadOnly | QIODevice::Text), file);
    for (const QString& line : QString::fromUtf8(cases.readAll()).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('#')) continue;
        const QStringList cells = line.split(" | ");
        QTestData& row = QTest::newRow(qPrintable(cells[0]));
        for (const QString& cell : cells.mid(1)) row << (cell == "-" ? QString() : cell);
    }
}

void WindowTest::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // Popup lists belong to their drop-down list and go with it.
        if (window->parentWidget()) continue;
        names << QString(window->metaObject()->className()) + " " + window->objectName();
        window->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(names.isEmpty(), qPrintable("windows left open: " + names.join(", ")));
}

ShownMainWindow::ShownMainWindow() : window_(new ui::frmAW) {
    window_->SetHelpLaunchers({
        .startProgram =
            [this](const QString& program, const QStringList& arguments) {
                started << program << arguments;
                if (browser == "throws") throw std::runtime_error("no browser");
                return browser == "starts";
            },
        .openUrl =
            [this](const QUrl& url) {
                opened << url.toLocalFile();
                return false;
            },
    });
    window_->show();
    QApplication::setActiveWindow(window_);
    if (!QTest::qWaitForWindowActive(window_)) throw std::runtime_error("window not active");
}

void ShownMainWindow::Type(const QString& name, const QString& text) const {
    auto* list = qobject_cast<QComboBox*>(Find(name));
    QLineEdit* box = list ? list->lineEdit() : Find<QLineEdit>(name);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

void ShownMainWindow::Pick(const QString& name, int steps) const {
    auto* list = Find<QComboBox>(name);
    list->setFocus();
    for (int i = 0; i < steps; ++i) QTest::keyClick(list, Qt::Key_Down);
}

void ShownMainWindow::ClickTab(int index) const {
    auto* strip = Find<ui::CommandStrip>("tsButtons");
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(index).center());
}

ui::frmCompileIt* ShownMainWindow::Compile() const {
    ClickTab(1);
    ui::frmCompileIt* dialog = ui::frmCompileIt::Instance();
    return dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
}

}  // namespace ormel::test

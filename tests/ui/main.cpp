// Runs every registered window test class, offscreen.
#include <QApplication>
#include <QTest>

#include "support/ui_windows.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto& make_test : ormel::test::RegisteredTests()) {
        const std::unique_ptr<QObject> test = make_test();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

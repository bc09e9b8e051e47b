// Runs every registered window test class, offscreen.
#include <QApplication>
#include <QTest>

#include "support/ui_windows.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // ORMEL_UI_TEST_CLASS runs one test class alone (for tests that need a
    // fixture, such as an installed program folder).
    const QString only = qEnvironmentVariable("ORMEL_UI_TEST_CLASS");
    int failures = 0;
    for (const auto& make_test : ormel::test::RegisteredTests()) {
        const std::unique_ptr<QObject> test = make_test();
        const QString name = QString::fromLatin1(test->metaObject()->className());
        if (!only.isEmpty() && !name.endsWith("::" + only)) continue;
        if (only.isEmpty() && test->property("needsFixture").toBool()) continue;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

// Runs every registered window test class, offscreen. ORMEL_UI_TEST_CLASS
// runs one class alone, such as one that needs a fixture (an installed
// program folder), which the full run skips. A fault fails the run at once
// instead of stalling it: a test function still running after two minutes
// (a build waiting for a package that never comes) ends it with "Test
// function timed out", naming the test, and so does an exception that
// escapes a test. Without -nocrashhandler, Qt 6.4's crash handler answers the
// abort that follows with the same abort again, for minutes.
#include <QApplication>
#include <QTest>

#include "support/ui_windows.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "120000");
    QApplication app(argc, argv);
    const QString only = qEnvironmentVariable("ORMEL_UI_TEST_CLASS");
    int failures = 0;
    for (const auto& make_test : ormel::test::RegisteredTests()) {
        const std::unique_ptr<QObject> test = make_test();
        const QString name = QString::fromLatin1(test->metaObject()->className());
        if (only.isEmpty() ? test->property("needsFixture").toBool() : !name.endsWith("::" + only))
            continue;
        failures += QTest::qExec(test.get(), app.arguments() << "-nocrashhandler");
    }
    return failures == 0 ? 0 : 1;
}

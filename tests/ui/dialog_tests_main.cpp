// Runs the tests of the compile confirmation dialog and of the Help command in
// one process.
#include <QApplication>

int RunFrmCompileItTests(int argc, char** argv);
int RunHelpTests(int argc, char** argv);

int main(int argc, char** argv) {
    // The windows are tested offscreen unless a platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunFrmCompileItTests(argc, argv);
    failures += RunHelpTests(argc, argv);
    return failures == 0 ? 0 : 1;
}

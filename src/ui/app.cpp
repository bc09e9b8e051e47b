#include "ui/app.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "ui/frmAW/frmAW.h"

namespace ormel::ui {

void OpenFromArguments(frmAW& window, const QStringList& arguments) {
    if (arguments.size() > 1) window.OpenAgentFile(arguments.at(1));
}

int RunApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    UseAntialiasedText();
    // The main window deletes itself when it closes; the program ends when
    // its last window has closed.
    QPointer<frmAW> main_window = new frmAW;
    main_window->show();
    // Opened once the event loop runs, so that the window system has placed
    // the window and the question or message that opening may ask stands
    // over it.
    QTimer::singleShot(0, main_window.data(), [window = main_window.data()] {
        OpenFromArguments(*window, QApplication::arguments());
    });
    const int exit_code = QApplication::exec();
    delete main_window;
    return exit_code;
}

void UseAntialiasedText() {
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font);
}

}  // namespace ormel::ui

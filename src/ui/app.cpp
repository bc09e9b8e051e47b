#include "ui/app.h"

#include <QApplication>
#include <QWidget>

namespace ormel::ui {

int RunApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Ormel Compiler");
    window.show();
    return app.exec();
}

}  // namespace ormel::ui

// The reference for ormel.exe's start-up under Wine: a bare static Qt window
// of the main window's client size (418 x 370), built the same way, shown
// until it is closed.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare window");
    window.setFixedSize(418, 370);
    window.show();
    return app.exec();
}

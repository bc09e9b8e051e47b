// Draws the program's three windows into PNG files, for the README and for looking
// at them without a desktop: ormel_screenshots [folder] (default: docs).
// Run it offscreen: QT_QPA_PLATFORM=offscreen ormel_screenshots docs
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <cstdio>

#include "ui/frmAW/frmAW.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"

namespace {

bool Save(QWidget& window, const QDir& folder, const QString& file) {
    QApplication::processEvents();
    const QString path = folder.filePath(file);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    if (!folder.exists()) {
        std::fprintf(stderr, "no folder %s\n", qPrintable(folder.path()));
        return 1;
    }

    QPointer<ormel::ui::frmAW> main_window = new ormel::ui::frmAW;
    main_window->show();
    bool saved = Save(*main_window, folder, "frmAW.png");

    // The progress window a few ticks into its run.
    QPointer<ormel::ui::frmLoad> progress = ormel::ui::frmLoad::ShowFor(*main_window);
    for (int tick = 0; tick < 4; ++tick) progress->tmrLoad_Timer();
    saved = Save(*progress, folder, "frmLoad.png") && saved;

    delete progress;

    QPointer<ormel::ui::frmCompileIt> dialog = ormel::ui::frmCompileIt::ShowSingle([] {});
    saved = Save(*dialog, folder, "frmCompileIt.png") && saved;

    ormel::ui::frmCompileIt::CloseIfOpen();
    delete main_window;
    return saved ? 0 : 1;
}

// Draws the program's three windows and its message boxes into PNG files,
// for the README and for looking at them without a desktop:
//   ormel_screenshots [folder] (default: docs)
// Offscreen (QT_QPA_PLATFORM=offscreen) it draws each window's client area.
// With the windows platform (ormel.exe's, under Wine) it takes each window
// from the screen with its frame, so the caption shows as the author sees it.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <string>

#include "agent/build_run.h"
#include "ui/app.h"
#include "ui/controls/picture_panel.h"
#include "ui/frmAW/frmAW.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"
#include "ui/message_box.h"
#include "ui/twips.h"

namespace {

bool OnScreenWithFrame() {
    return QGuiApplication::platformName() == QLatin1String("windows");
}

QPixmap Picture(QWidget& window) {
    if (!OnScreenWithFrame()) return window.grab();
    const QRect frame = window.frameGeometry();
    return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

bool Save(QWidget& window, const QDir& folder, const QString& file) {
    // The window system needs a moment to draw a new window on the screen.
    for (int round = 0; round < 10; ++round) {
        QApplication::processEvents();
        if (OnScreenWithFrame()) QThread::msleep(50);
    }
    const QString path = folder.filePath(file);
    if (!Picture(window).save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (client area %d x %d)\n", qPrintable(path), window.width(), window.height());
    return true;
}

// Shows the message as the program does, draws its box once it is up, and
// answers it with OK.
bool SaveMessage(QWidget& parent, const std::string& text, const QString& detail,
                 const QDir& folder, const QString& file) {
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        saved = Save(*box, folder, file);
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(50);
    ormel::ui::ShowMessage(&parent, QString::fromStdString(text), detail);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ormel::ui::UseAntialiasedText();
    const QFont font = QApplication::font();
    std::printf("font %s, %g points, layout scale %.3f\n", qPrintable(font.family()),
                font.pointSizeF(), ormel::ui::LayoutScale());
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    if (!folder.exists()) {
        std::fprintf(stderr, "no folder %s\n", qPrintable(folder.path()));
        return 1;
    }

    QPointer<ormel::ui::frmAW> main_window = new ormel::ui::frmAW;
    main_window->show();
    bool saved = Save(*main_window, folder, "frmAW.png");

    // The progress window a few ticks into its run, held there: left to its
    // timer it would close itself while a slow screen is still drawing it.
    ormel::ui::frmLoad::SetTickInterval(std::chrono::hours(1));
    QPointer<ormel::ui::frmLoad> progress = ormel::ui::frmLoad::ShowFor(*main_window);
    for (int tick = 0; tick < 4; ++tick) progress->tmrLoad_Timer();
    saved = Save(*progress, folder, "frmLoad.png") && saved;

    delete progress;

    QPointer<ormel::ui::frmCompileIt> dialog = ormel::ui::frmCompileIt::ShowSingle([] {});
    saved = Save(*dialog, folder, "frmCompileIt.png") && saved;
    ormel::ui::frmCompileIt::CloseIfOpen();

    saved = SaveMessage(*main_window, ormel::BuildSucceededMessage("Lantern"), {}, folder,
                        "message-success.png") &&
            saved;
    // The failure message with a cause beneath it, as the bundled builder
    // reports a double quote inside the remove script: the document named by
    // the path the build gives it.
#ifdef _WIN32
    const QString document = R"(C:\Ormel\Lantern\Lantern.txt)";
#else
    const QString document = "/home/ann/Ormel/Lantern/Lantern.txt";
#endif
    const QString cause = document + R"(:25:23: error: a value ends at the double quote in column )"
                                     R"(22; text follows it (a double quote inside a value is )"
                                     R"(written \"))";
    saved = SaveMessage(*main_window, std::string(ormel::kBuildFailedMessage), cause, folder,
                        "message-failure.png") &&
            saved;

    // The example agent opened again (from its source file, its agent folder
    // beside it), and a package that the form cannot hold, as an author
    // publishes one: several agents, scripts and files. Both from the
    // repository, where the script runs.
    QPointer<ormel::ui::frmAW> opened = new ormel::ui::frmAW;
    opened->SetBuildEnvironment({"examples", "", ""});
    opened->show();
    opened->OpenAgentFile("examples/Lantern/Lantern.txt");
    // The picture follows the opened values once they settle; at once here.
    opened->findChild<ormel::ui::PicturePanel*>("picPicture")->Refresh();
    saved = Save(*opened, folder, "frmAW-opened.png") && saved;
    // The same agent for the game's later edition: the bio-energy box disabled.
    opened->findChild<QComboBox*>("field_Block")->setCurrentIndex(1);
    opened->findChild<QLineEdit*>("field_Description")->setText("A lantern that glows at night.");
    opened->findChild<QLineEdit*>("field_First_Image")->setText("0");
    saved = Save(*opened, folder, "frmAW-dsag.png") && saved;
    opened->SetMessagePresenter([&](QWidget* owner, const QString& text, const QString& detail) {
        saved =
            SaveMessage(*owner, text.toStdString(), detail, folder, "message-open-refused.png") &&
            saved;
    });
    opened->OpenAgentFile("tests/core/opening/published-agents-and-scripts.agent");
    delete opened;

    delete main_window;
    return saved ? 0 : 1;
}

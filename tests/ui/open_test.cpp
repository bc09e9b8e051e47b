// An agent opened through the window, once from the command line (a package)
// and once by a drop (the example's document, after a refused package): each
// fills the form so that Compile, OK gives the same package again.
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include "pray/pray_test_support.h"
#include "support/ui_windows.h"
#include "ui/app.h"

namespace ormel::test {

class OpenTest : public WindowTest {
    Q_OBJECT

  private slots:
    void the_command_line_and_a_drop_fill_a_form_that_compiles_the_same_package() {
        namespace fs = std::filesystem;
        const fs::path example = FromUtf8(ORMEL_EXAMPLE_FOLDER);
        TempFolder folder;
        const fs::path program = folder.path() / "Ormel Öl", package = program / "Lantern.agent";
        fs::create_directories(program / "Lantern");
        for (const char* file : {"lantern.cos", "lantern.c16", "glow.wav"})
            fs::copy(example / file, program / "Lantern" / file);
        QCOMPARE(RunPray({ToUtf8(example / "Lantern.txt"), "-o", ToUtf8(package)}).status, 0);
        const std::vector<ReadBlock> built = ReadBlocks(package);
        for (const bool drop : {false, true}) {
            ShownMainWindow window;
            QStringList messages;
            window->SetBuildEnvironment(
                {ToUtf8(program), ToUtf8(program / "ormel"), ORMEL_BUNDLED_BUILDER});
            window->SetMessagePresenter([&](QWidget*, const QString& text, const QString& more) {
                messages << text + "\n" + more;
            });
            auto open = [&](const fs::path& file) {
                const QString path = QString::fromStdString(ToUtf8(file));
                if (!drop) return ui::OpenFromArguments(*window.get(), {"ormel", path});
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(path)});
                QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
                QDropEvent event({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(window.Find("field_Name"), &enter);
                QApplication::sendEvent(window.Find("field_Name"), &event);
            };
            if (drop) {
                open(FromUtf8(ORMEL_OPENING_CASES) / "published-agents-and-scripts.agent");
                QCOMPARE(messages.size(), 1);
                QVERIFY(messages[0].startsWith("The form cannot hold published-agents-and-"));
                QCOMPARE(window.Find<QGroupBox>("frEdit")->title(), "untitled.agent");
                messages.clear();
            }
            open(drop ? example / "Lantern.txt" : package);
            QCOMPARE(window.Find<QGroupBox>("frEdit")->title(), "Lantern.agent - Compile");
            QTRY_COMPARE(window.Find<QLabel>("lblPicture")->text(),
                         "lantern.c16: image 0 of 3, 24 \u00d7 32");
            fs::remove(package);
            QTest::mouseClick(window.Compile()->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!window->BuildRunning() && !messages.empty(), 20000);
            QCOMPARE(messages, QStringList{"Lantern.agent was created successfully.\n"});
            QCOMPARE(ReadBlocks(package), built);
        }
    }
};

ORMEL_REGISTER_UI_TEST(OpenTest);

}  // namespace ormel::test

#include "open_test.moc"

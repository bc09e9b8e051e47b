// An agent opened through the window, once from the command line (a package)
// and once by a drop (the example's document, after a refused package): each
// fills the form so that Compile, OK gives the same package again. A package
// whose files the agent folder lacks brings them there on Yes only, and never
// over a file that differs.
#include <QAccessible>
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

    // A published agent, DSAG with a description and a first image, its files
    // before it and its number tags first: as a package outside the program
    // folder (its files brought on Yes) and as its document in the agent
    // folder. Opened as `ormel PATH` opens it, Compile, OK gives the same
    // blocks, tags and file bytes, in the form's order.
    void compiles_a_published_agent_again_data() {
        QTest::addColumn<bool>("package");
        QTest::newRow("package") << true;
        QTest::newRow("document") << false;
    }

    void compiles_a_published_agent_again() {
        QFETCH(bool, package);
        namespace fs = std::filesystem;
        const fs::path example = FromUtf8(ORMEL_EXAMPLE_FOLDER);
        TempFolder folder;
        const fs::path program = folder.path() / "Ormel", agent = program / "Lantern",
                       document = agent / "Lantern.ps", published = folder.path() / "Lantern.agent";
        fs::create_directories(agent);
        for (const char* file : {"lantern.cos", "lantern.c16", "glow.wav"})
            fs::copy(example / file, agent / file);
        fs::copy(FromUtf8(ORMEL_UI_CASES) / "published_lantern.ps", document);
        QCOMPARE(RunPray({ToUtf8(document), "-o", ToUtf8(published)}).status, 0);
        if (package) fs::remove_all(agent);
        ShownMainWindow window;
        window->SetBuildEnvironment(
            {ToUtf8(program), ToUtf8(program / "ormel"), ORMEL_BUNDLED_BUILDER});
        QStringList shown;
        window->SetMessagePresenter(
            [&](QWidget*, const QString& text, const QString& more) { shown << text + more; });
        window->SetQuestionPresenter([&](QWidget*, const QString& text, const QString&) {
            shown << text;
            QTest::qWait(100);  // the author reads it while the window lives on
            return true;
        });
        const fs::path opened = package ? published : document;
        ui::OpenFromArguments(*window.get(), {"ormel", QString::fromStdString(ToUtf8(opened))});
        QCOMPARE(shown.size(), package ? 1 : 0);
        // The list is named, not called after its entry as Qt's are on Linux.
        QCOMPARE(QAccessible::queryAccessibleInterface(window.Find("field_Block"))
                     ->text(QAccessible::Name),
                 "Block");
        QTRY_VERIFY(
            window.Find<QLabel>("lblPicture")->text().startsWith("lantern.c16: images 1, 2"));
        shown.clear();
        QTest::mouseClick(window.Compile()->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->BuildRunning() && !shown.empty(), 20000);
        QCOMPARE(shown, QStringList{"Lantern.agent was created successfully."});
        auto sorted = [](std::vector<ReadBlock> blocks) {
            for (ReadBlock& block : blocks) {
                std::sort(block.tags.integers.begin(), block.tags.integers.end());
                std::sort(block.tags.strings.begin(), block.tags.strings.end());
            }
            std::sort(blocks.begin(), blocks.end(), [](const ReadBlock& a, const ReadBlock& b) {
                return a.type + a.name < b.type + b.name;
            });
            return blocks;
        };
        QCOMPARE(sorted(ReadBlocks(program / "Lantern.agent")), sorted(ReadBlocks(published)));
    }

    void brings_the_files_on_yes_only_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("glow");  // the agent folder's glow.wav beforehand
        QTest::addColumn<QStringList>("folder");
        QTest::newRow("Yes brings all")
            << true << "" << QStringList{"Lantern.cos", "glow.wav", "lantern.c16"};
        QTest::newRow("No brings none") << false << "" << QStringList{};
        QTest::newRow("a differing file: none") << true << "other" << QStringList{"glow.wav"};
        QTest::newRow("the same file stays")
            << true << "same" << QStringList{"Lantern.cos", "glow.wav", "lantern.c16"};
    }

    void brings_the_files_on_yes_only() {
        QFETCH(bool, yes);
        QFETCH(QString, glow);
        QFETCH(QStringList, folder);
        namespace fs = std::filesystem;
        const fs::path example = FromUtf8(ORMEL_EXAMPLE_FOLDER);
        TempFolder program;
        const fs::path package = program.path() / "Lantern.agent",
                       agent = program.path() / "Lantern";
        QCOMPARE(RunPray({ToUtf8(example / "Lantern.txt"), "-o", ToUtf8(package)}).status, 0);
        if (!glow.isEmpty()) {
            fs::create_directories(agent);
            WriteBytes(agent / "glow.wav",
                       glow == "same" ? ReadBytes(example / "glow.wav") : "other");
        }
        ShownMainWindow window;
        window->SetBuildEnvironment({ToUtf8(program.path()), "", ""});
        QStringList shown;
        window->SetMessagePresenter([&](QWidget*, const QString& text, const QString& more) {
            shown << text + "\n" + more;
        });
        window->SetQuestionPresenter([&](QWidget*, const QString& text, const QString& more) {
            shown << text + "\n" + more;
            return yes;
        });
        window->OpenAgentFile(QString::fromStdString(ToUtf8(package)));
        QStringList in_folder;
        std::error_code none;  // no folder: no files
        for (const auto& file : fs::directory_iterator(agent, none))
            in_folder << QString::fromStdString(ToUtf8(file.path().filename()));
        in_folder.sort();
        QCOMPARE(in_folder, folder);
        QVERIFY(shown.size() >= 1);
        QVERIFY2(shown[0].contains(glow == "other" ? "differ" : "Put these files"),
                 qPrintable(shown[0]));
        QVERIFY(glow != "other" || shown[0].contains("glow.wav"));
        QCOMPARE(window->COS_File(), yes && glow != "other" ? "Lantern" : "");
        if (!folder.isEmpty() && glow != "other")
            QCOMPARE(ReadBytes(agent / "lantern.c16"), ReadBytes(example / "lantern.c16"));
    }
};

ORMEL_REGISTER_UI_TEST(OpenTest);

}  // namespace ormel::test

#include "open_test.moc"

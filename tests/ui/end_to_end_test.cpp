// The whole program through its own windows, as an author uses it: fill the
// form with keyboard and mouse, click Compile, press OK, let the build run
// against the stand-in builder in a temporary program folder, and answer the
// real message box.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "build/build_run.h"
#include "platform/paths.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/ui_windows.h"
#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/slot_check_box.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

const QString kFailure = QString::fromUtf8(kBuildFailedMessage.data(),
                                           static_cast<qsizetype>(kBuildFailedMessage.size()));

// Presses OK in every message box of the program as soon as it is the active
// modal window, noting what it said and what lay in the program folder then.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(std::function<void()> on_box = {}) : on_box_(std::move(on_box)) {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start();
    }

    QStringList texts;

  private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || answered_ == box) return;
        answered_ = box;
        QCOMPARE(box->windowTitle(), QString("Vantrel"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        texts << box->text();
        if (on_box_) on_box_();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    QTimer poll_;
    QPointer<QMessageBox> answered_;
    std::function<void()> on_box_;
};

// The build runs inside a tick of the build timer and pumps events while it
// waits, so what the author does during the wait must come from an event:
// this runs the action once, as soon as the progress window is up.
class WhenProgressWindowShows {
  public:
    explicit WhenProgressWindowShows(std::function<void()> action) : action_(std::move(action)) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (!ui::frmLoad::Current()) return;
            poll_.stop();
            action_();
            ran = true;
        });
        poll_.start();
    }

    bool ran = false;

  private:
    QTimer poll_;
    std::function<void()> action_;
};

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(ToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A program folder with the stand-in as PRAY.exe and the Lantern agent's
// files in its agent folder, and a main window that builds there.
class Workbench {
  public:
    Workbench() : program(folder.path()) {
        InstallStandIn(program);
        fs::create_directory(agent());
        WriteBytes(agent() / "lantern.cos", "inst\r\n");
        WriteBytes(agent() / "lantern.c16", "image");
        WriteBytes(agent() / "glow.wav", "sound");
        BuildIn(program);
    }
    // A program folder that is ready, with its builder and agent folder.
    explicit Workbench(fs::path ready) : program(std::move(ready)) { BuildIn(program); }

    fs::path agent() const { return program / "Lantern"; }

    // Types into a text box, or into the text of an editable list.
    void Type(const char* name, const QString& text) {
        auto* control = window.Find(name);
        auto* list = qobject_cast<QComboBox*>(control);
        auto* box = list ? list->lineEdit() : qobject_cast<QLineEdit*>(control);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    // Picks the entry that lies `steps` entries down the list, with the
    // arrow key, as an author does.
    void Pick(const QString& name, int steps) {
        auto* list = window.Find<ui::EditableList>(name);
        list->setFocus();
        for (int i = 0; i < steps; ++i) QTest::keyClick(list, Qt::Key_Down);
    }

    void Click(const QString& check_box) {
        auto* box = window.Find<ui::SlotCheckBox>(check_box);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    }

    void ClickTab(int index) {
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(index).center());
    }

    void FillInLantern() {
        Type("field_Name", "Lantern");
        Type("field_COS_File", "lantern");
        Click("check_File_1");  // slot 1 starts checked; the example does not use it
        Click("check_File_2");
        Type("field_File_2", "lantern");
        Pick("field_File_Ext_2", 1);  // .c16
        Click("check_File_5");
        Type("field_File_5", "glow");
        Pick("field_File_Ext_5", 3);  // .c16, .s16, .wav
        Type("field_Image", "lantern");
        Type("field_Bioenergy", "20");
    }

    // Compile, then OK in the dialog; the build starts once the dialog is gone.
    void CompileWithOk() {
        ClickTab(1);
        ui::frmCompileIt* dialog = ui::frmCompileIt::Instance();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    }

    void AwaitBuildEnd() {
        QTRY_VERIFY_WITH_TIMEOUT(window->CompileTimerInterval() == 0 && !window->BuildRunning(),
                                 20000);
    }

    TempFolder folder;
    fs::path program;
    ShownMainWindow window;

  private:
    void BuildIn(const fs::path& program_folder) {
        BuildEnvironment environment;
        environment.program_folder = ToUtf8(program_folder);
        environment.program_executable = ToUtf8(program_folder / "ormel");
        window->SetBuildEnvironment(environment);
    }
};

class EndToEndTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        ui::frmCompileIt::CloseIfOpen();
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void compiles_the_lantern_example() {
        Workbench bench;
        bench.FillInLantern();
        std::vector<std::string> staged_at_message;
        bool progress_window_seen = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout,
                         [&] { progress_window_seen |= ui::frmLoad::Current() != nullptr; });
        watch.start(10);
        MessageBoxAnswerer answerer([&] { staged_at_message = FilesIn(bench.folder.path()); });

        bench.CompileWithOk();
        QVERIFY(!ui::frmCompileIt::Instance());  // gone before the build starts
        QCOMPARE(bench.window->CompileTimerInterval(), 1);
        bench.AwaitBuildEnd();

        QCOMPARE(answerer.texts, QStringList{"Lantern.agent was created successfully."});
        QVERIFY(progress_window_seen);
        // Everything was staged beside the builder while the message showed.
        for (const char* staged : {"Lantern.txt", "glow.wav", "lantern.c16", "lantern.cos"}) {
            QVERIFY2(std::count(staged_at_message.begin(), staged_at_message.end(), staged),
                     staged);
        }
        const auto runs = StandInRuns(bench.folder.path());
        QCOMPARE(runs.size(), size_t{1});
        QCOMPARE(runs[0].arguments,
                 std::vector<std::string>{ToUtf8(bench.agent() / "Lantern.txt")});
        QVERIFY(std::count(runs[0].files_beside.begin(), runs[0].files_beside.end(), "glow.wav"));

        // The clean-up left the folders as the author had them.
        QCOMPARE(FilesIn(bench.agent()),
                 (std::vector<std::string>{"glow.wav", "lantern.c16", "lantern.cos"}));
        QCOMPARE(FilesIn(bench.folder.path()),
                 (std::vector<std::string>{"PRAY.exe", "stand_in.record"}));
    }

    // The document the builder was given, byte for byte, as the form made it.
    void writes_the_document_the_form_describes() {
        Workbench bench;
        InstallStandIn(bench.folder.path(), "make_read_only Lantern/Lantern.txt\n");
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        bench.CompileWithOk();
        bench.AwaitBuildEnd();
        // The document could not be deleted, so it is there to read.
        QCOMPARE(answerer.texts,
                 (QStringList{"Lantern.agent was created successfully.", kFailure}));
        const std::string document = ReadBytes(bench.agent() / "Lantern.txt");
        QVERIFY(document.find("\"Dependency 1\" \"lantern.c16\"\r\n"
                              "\"Dependency 2\" \"glow.wav\"\r\n"
                              "\r\n"
                              "\"Dependency Category 1\" 2\r\n"
                              "\"Dependency Category 2\" 1\r\n") != std::string::npos);
        QVERIFY(document.find("\"Agent Bioenergy Value\" 20\r\n") != std::string::npos);
        QVERIFY(document.find("group AGNT \"Lantern\"\r\n") != std::string::npos);
    }

    // At start-up slot 1 is checked with no extension picked: the build fails
    // at the category line, before anything is staged or started.
    void compiling_the_start_up_form_fails() {
        Workbench bench;
        bench.Type("field_Name", "Lantern");
        bench.Type("field_COS_File", "lantern");
        MessageBoxAnswerer answerer;
        bench.CompileWithOk();
        bench.AwaitBuildEnd();
        QCOMPARE(answerer.texts, QStringList{kFailure});
        QVERIFY(StandInRuns(bench.folder.path()).empty());
        QCOMPARE(FilesIn(bench.folder.path()), std::vector<std::string>{"PRAY.exe"});
    }

    // Cancel and the close box start nothing; the next Compile shows a fresh
    // dialog with the focus in its text.
    void cancel_and_close_box_start_no_build() {
        Workbench bench;
        for (bool use_close_box : {false, true}) {
            bench.ClickTab(1);
            QPointer<ui::frmCompileIt> dialog = ui::frmCompileIt::Instance();
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QCOMPARE(QApplication::focusWidget(), dialog->findChild<QWidget*>("Text1"));
            if (use_close_box) {
                dialog->close();
            } else {
                QTest::mouseClick(dialog->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
            }
            QTRY_VERIFY(!dialog);
            QTest::qWait(20);
            QCOMPARE(bench.window->CompileTimerInterval(), 0);
        }
        QVERIFY(StandInRuns(bench.folder.path()).empty());
    }

    // While the dialog is open the form stays usable, and a second Compile
    // shows no second dialog.
    void form_stays_usable_while_the_dialog_is_open() {
        Workbench bench;
        bench.ClickTab(1);
        ui::frmCompileIt* first = ui::frmCompileIt::Instance();
        bench.ClickTab(1);
        QCOMPARE(ui::frmCompileIt::Instance(), first);
        bench.window->activateWindow();
        bench.Type("field_Name", "Lamp");
        QCOMPARE(bench.window->Name(), std::string("Lamp"));
        bench.ClickTab(0);  // New
        QCOMPARE(bench.window->Name(), std::string());
        QCOMPARE(ui::frmCompileIt::Instance(), first);
    }

    // Edits and New during the wait change neither what the builder was
    // given nor what the clean-up deletes; a second OK starts no build.
    void the_author_works_on_during_the_build() {
        Workbench bench;
        InstallStandIn(bench.folder.path(), "sleep_ms 1500\n");
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        WhenProgressWindowShows meanwhile([&] {
            bench.window->activateWindow();
            bench.Type("field_File_2", "other");
            bench.ClickTab(0);  // New empties every field
            bench.CompileWithOk();
        });
        bench.CompileWithOk();
        bench.AwaitBuildEnd();
        QVERIFY(meanwhile.ran);

        QCOMPARE(answerer.texts, QStringList{"Lantern.agent was created successfully."});
        QCOMPARE(StandInRuns(bench.folder.path()).size(), size_t{1});
        QCOMPARE(FilesIn(bench.folder.path()),
                 (std::vector<std::string>{"PRAY.exe", "stand_in.control", "stand_in.record"}));
        QCOMPARE(FilesIn(bench.agent()),
                 (std::vector<std::string>{"glow.wav", "lantern.c16", "lantern.cos"}));
    }

    // Closing the main window during the wait: the build reports and cleans
    // up, then the window closes.
    void closing_during_the_build_finishes_it_first() {
        Workbench bench;
        InstallStandIn(bench.folder.path(), "sleep_ms 1500\n");
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        bool visible_after_close = false;
        WhenProgressWindowShows meanwhile([&] {
            bench.window->close();
            visible_after_close = bench.window->isVisible();
        });
        bench.CompileWithOk();
        QTRY_VERIFY_WITH_TIMEOUT(!bench.window.get() || !bench.window->isVisible(), 20000);
        QVERIFY(meanwhile.ran);
        QVERIFY(visible_after_close);
        QCOMPARE(answerer.texts, QStringList{"Lantern.agent was created successfully."});
        QCOMPARE(FilesIn(bench.folder.path()),
                 (std::vector<std::string>{"PRAY.exe", "stand_in.control", "stand_in.record"}));
    }
};

// The example agent compiled in a program folder that `cmake --install` laid
// out, as the README tells an author to do it: copy examples/Lantern in as
// the agent folder, put PRAY.exe beside the program, type the values.
class InstalledFolderTest : public QObject {
    Q_OBJECT

  public:
    InstalledFolderTest() { setProperty("needsFixture", true); }

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void compiles_the_example_agent() {
        const fs::path installed =
            FromUtf8(qEnvironmentVariable("ORMEL_TEST_PROGRAM_FOLDER").toStdString());
        QVERIFY2(fs::is_regular_file(installed / "ormel"), "no installed program folder");
        TempFolder work;
        fs::copy(installed, work.path(), fs::copy_options::recursive);
        fs::copy(work.path() / "examples" / "Lantern", work.path() / "Lantern",
                 fs::copy_options::recursive);
        InstallStandIn(work.path());

        Workbench bench(work.path());
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        bench.CompileWithOk();
        bench.AwaitBuildEnd();

        QCOMPARE(answerer.texts, QStringList{"Lantern.agent was created successfully."});
        const auto runs = StandInRuns(work.path());
        QCOMPARE(runs.size(), size_t{1});
        for (const char* staged : {"Lantern.txt", "glow.wav", "lantern.c16", "lantern.cos"}) {
            QVERIFY2(std::count(runs[0].files_beside.begin(), runs[0].files_beside.end(), staged),
                     staged);
        }
        QCOMPARE(FilesIn(work.path() / "Lantern"),
                 (std::vector<std::string>{"glow.wav", "lantern.c16", "lantern.cos"}));
    }
};

}  // namespace

ORMEL_REGISTER_UI_TEST(EndToEndTest);
ORMEL_REGISTER_UI_TEST(InstalledFolderTest);

}  // namespace ormel::test

#include "end_to_end_test.moc"

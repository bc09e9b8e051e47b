// The whole program through its own windows, as an author uses it: fill the
// form with keyboard and mouse, click Compile, press OK, let the build run
// against the stand-in builder in a temporary program folder, and answer the
// real message box.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "build/build_run.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/ui_windows.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const QString kSuccess = "Lantern.agent was created successfully.";
const Names kAgentFiles{"glow.wav", "lantern.c16", "lantern.cos"};

// Runs `on_poll` on every turn of the event loop until it returns true.
class Poll {
  public:
    explicit Poll(std::function<bool()> on_poll) : on_poll_(std::move(on_poll)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (on_poll_()) timer_.stop();
        });
        timer_.start(10);
    }

  private:
    QTimer timer_;
    std::function<bool()> on_poll_;
};

// Presses OK in each message box of the program as soon as it is the active
// modal window, noting its text; on_box runs first.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(std::function<void()> on_box = [] {}) : on_box_(on_box) {}
    QStringList texts;

  private:
    std::function<void()> on_box_;
    QPointer<QMessageBox> answered_;
    Poll poll_{[this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || answered_ == box) return false;
        answered_ = box;
        [box] {
            QCOMPARE(box->windowTitle(), QString("Vantrel"));
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->buttons().size(), 1);
        }();
        texts << box->text();
        on_box_();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        return false;
    }};
};

// The build runs inside a tick of the build timer and pumps events while it
// waits, so what the author does during the wait must come from an event:
// this runs the action once, as soon as the progress window is up.
class WhenProgressWindowShows {
  public:
    explicit WhenProgressWindowShows(std::function<void()> action) : action_(std::move(action)) {}
    bool ran = false;

  private:
    std::function<void()> action_;
    Poll poll_{[this] {
        if (!ui::frmLoad::Current()) return false;
        action_();
        ran = true;
        return true;
    }};
};

Names FilesIn(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(ToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A main window that builds in a program folder with the stand-in as
// PRAY.exe (given its orders) and the Lantern agent's files in its folder.
class Workbench {
  public:
    explicit Workbench(const char* orders = "") : program(folder.path()) {
        InstallStandIn(program, orders);
        fs::create_directory(agent());
        for (const std::string& file : kAgentFiles) WriteBytes(agent() / file, file);
        BuildIn();
    }
    // A program folder that is ready, with its builder and agent folder.
    explicit Workbench(fs::path ready) : program(std::move(ready)) { BuildIn(); }

    fs::path agent() const { return program / "Lantern"; }

    // The example of the README.
    void FillInLantern() const {
        window.Type("field_Name", "Lantern");
        window.Type("field_COS_File", "lantern");
        window.Click("check_File_1");  // slot 1 starts checked; the example does not use it
        window.Click("check_File_2");
        window.Type("field_File_2", "lantern");
        window.Pick("field_File_Ext_2", 1);  // .c16
        window.Click("check_File_5");
        window.Type("field_File_5", "glow");
        window.Pick("field_File_Ext_5", 3);  // .c16, .s16, .wav
        window.Type("field_Image", "lantern");
        window.Type("field_Bioenergy", "20");
    }

    // Compile, then OK in the dialog.
    void CompileWithOk() const {
        window.ClickTab(1);
        ui::frmCompileIt* dialog = ui::frmCompileIt::Instance();
        QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    }

    void AwaitBuildEnd() const {
        QTRY_VERIFY_WITH_TIMEOUT(window->CompileTimerInterval() == 0 && !window->BuildRunning(),
                                 20000);
    }

    TempFolder folder;
    fs::path program;
    ShownMainWindow window;

  private:
    void BuildIn() {
        BuildEnvironment environment;
        environment.program_folder = ToUtf8(program);
        environment.program_executable = ToUtf8(program / "ormel");
        window->SetBuildEnvironment(environment);
    }
};

// The document the form describes, as the builder is given it.
std::string LanternDocument() {
    std::string document = R"("en-GB"

group AGNT "Lantern"

"Agent Type" 0

"Dependency Count" 2

"Dependency 1" "lantern.c16"
"Dependency 2" "glow.wav"

"Dependency Category 1" 2
"Dependency Category 2" 1

"Script Count" 1

"Script 1" @ "lantern.cos"

"Agent Animation File" "lantern.c16"
"Agent Animation Gallery" "lantern"
"Agent Animation String" "0"

"Agent Bioenergy Value" 20

"Remove script" "enum CLASS kill targ next"

inline FILE "lantern.c16" "lantern.c16"
inline FILE "glow.wav" "glow.wav"

)";
    for (size_t at = 0; (at = document.find('\n', at)) != std::string::npos; at += 2) {
        document.insert(at, 1, '\r');
    }
    return document;
}

}  // namespace

class EndToEndTest : public WindowTest {
    Q_OBJECT

  private slots:
    void compiles_the_lantern_example() {
        Workbench bench;
        bench.FillInLantern();
        std::string document;
        WhenProgressWindowShows progress([] {});
        MessageBoxAnswerer answerer([&] { document = ReadBytes(bench.agent() / "Lantern.txt"); });
        bench.CompileWithOk();
        bench.AwaitBuildEnd();

        QCOMPARE(answerer.texts, QStringList{kSuccess});
        QVERIFY(progress.ran);
        QCOMPARE(document, LanternDocument());
        const auto runs = StandInRuns(bench.program);
        QCOMPARE(runs.size(), size_t{1});
        QCOMPARE(runs[0].arguments, Names{ToUtf8(bench.agent() / "Lantern.txt")});
        QCOMPARE(runs[0].files_beside,
                 (Names{"Lantern.txt", "PRAY.exe", "glow.wav", "lantern.c16", "lantern.cos"}));
        // The clean-up left the folders as the author had them.
        QCOMPARE(FilesIn(bench.agent()), kAgentFiles);
        QCOMPARE(FilesIn(bench.program), (Names{"PRAY.exe", "stand_in.record"}));
    }

    // At start-up slot 1 is checked with no extension picked: the build fails
    // at the category line, before anything is staged or started.
    void compiling_the_start_up_form_fails() {
        Workbench bench;
        bench.window.Type("field_Name", "Lantern");
        bench.window.Type("field_COS_File", "lantern");
        MessageBoxAnswerer answerer;
        bench.CompileWithOk();
        bench.AwaitBuildEnd();
        QCOMPARE(answerer.texts, QStringList{QString::fromUtf8(
                                     kBuildFailedMessage.data(),
                                     static_cast<qsizetype>(kBuildFailedMessage.size()))});
        QVERIFY(StandInRuns(bench.program).empty());
        QCOMPARE(FilesIn(bench.program), Names{"PRAY.exe"});
    }

    // Edits, New and a second OK during the wait change neither what the
    // builder was given nor what the clean-up deletes, and start no build.
    void the_author_works_on_during_the_build() {
        Workbench bench("sleep_ms 1500\n");
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        WhenProgressWindowShows meanwhile([&] {
            bench.window->activateWindow();
            bench.window.Type("field_File_2", "other");
            bench.window.ClickTab(0);  // New empties every field
            bench.CompileWithOk();
        });
        bench.CompileWithOk();
        bench.AwaitBuildEnd();
        QVERIFY(meanwhile.ran);
        QCOMPARE(answerer.texts, QStringList{kSuccess});
        QCOMPARE(StandInRuns(bench.program).size(), size_t{1});
        QCOMPARE(FilesIn(bench.program),
                 (Names{"PRAY.exe", "stand_in.control", "stand_in.record"}));
        QCOMPARE(FilesIn(bench.agent()), kAgentFiles);
    }

    // Closing the main window during the wait: the build reports and cleans
    // up, then the window closes.
    void closing_during_the_build_finishes_it_first() {
        Workbench bench("sleep_ms 1500\n");
        bench.FillInLantern();
        MessageBoxAnswerer answerer;
        bool visible_after_close = false;
        WhenProgressWindowShows meanwhile([&] {
            bench.window->close();
            visible_after_close = bench.window->isVisible();
        });
        bench.CompileWithOk();
        QTRY_VERIFY_WITH_TIMEOUT(!bench.window.get() || !bench.window->isVisible(), 20000);
        QVERIFY(meanwhile.ran && visible_after_close);
        QCOMPARE(answerer.texts, QStringList{kSuccess});
        QCOMPARE(FilesIn(bench.program),
                 (Names{"PRAY.exe", "stand_in.control", "stand_in.record"}));
    }
};

// The example agent compiled in a program folder that `cmake --install` laid
// out, as the README tells an author to do it: copy examples/Lantern in as
// the agent folder, put PRAY.exe beside the program, type the values.
class InstalledFolderTest : public WindowTest {
    Q_OBJECT

  public:
    InstalledFolderTest() { setProperty("needsFixture", true); }

  private slots:
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
        QCOMPARE(answerer.texts, QStringList{kSuccess});
        const auto runs = StandInRuns(work.path());
        QCOMPARE(runs.size(), size_t{1});
        for (const std::string& staged : kAgentFiles) {
            QVERIFY(std::count(runs[0].files_beside.begin(), runs[0].files_beside.end(), staged));
        }
        QCOMPARE(FilesIn(work.path() / "Lantern"), kAgentFiles);
    }
};

ORMEL_REGISTER_UI_TEST(EndToEndTest);
ORMEL_REGISTER_UI_TEST(InstalledFolderTest);

}  // namespace ormel::test

#include "end_to_end_test.moc"

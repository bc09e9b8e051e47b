// The whole program through its own windows, as an author uses it: fill the
// form with keyboard and mouse, click Compile, press OK, let the build run
// against the stand-in builder in a temporary program folder, and answer the
// real message box.
#include <QMessageBox>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "agent/build_run.h"
#include "pray/pray_test_support.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/ui_windows.h"
#include "ui/frmLoad/frmLoad.h"
#include "ui/help.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const QString kSuccess = "Lantern.agent was created successfully.";
const Names kAgentFiles{"glow.wav", "lantern.c16", "lantern.cos"};

// The author during a build, which runs inside a tick of the build timer and
// pumps events while it waits: each message box of the program, the real one,
// is answered with OK as soon as it is the active modal window, after
// `at_message`.
class Author {
  public:
    Author() {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        poll_.start(10);
    }

    std::function<void()> at_message = [] {};
    bool saw_progress_window = false;
    QStringList messages;
    QStringList details;  // the informative text beneath each message

  private:
    void Poll() {
        saw_progress_window |= ui::frmLoad::Current() != nullptr;
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || answered_ == box) return;
        answered_ = box;
        messages << box->text();
        details << box->informativeText();
        at_message();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    QTimer poll_;
    QPointer<QMessageBox> answered_;
};

Names Plus(Names names, const Names& more) {
    names.insert(names.end(), more.begin(), more.end());
    std::sort(names.begin(), names.end());
    return names;
}

Names FilesIn(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(ToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

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

// A main window that builds in a program folder with the stand-in as
// PRAY.exe, and the author at work during its builds.
class Workbench : public ShownMainWindow {
  public:
    struct Ready {};
    // A fresh program folder with the Lantern agent's files: the temporary
    // folder, or `place` in it; the agent's folder is named `agent_name`.
    explicit Workbench(const fs::path& place = {}, std::string agent_name = "Lantern")
        : program(place.empty() ? folder.path() : folder.path() / place),
          agent_name_(std::move(agent_name)) {
        fs::create_directories(program);
        InstallStandIn(program, "");
        fs::create_directory(agent());
        for (const std::string& file : kAgentFiles) WriteBytes(agent() / file, file);
        BuildIn();
    }
    // A program folder that is ready, with its builder and agent folder.
    Workbench(Ready, fs::path ready) : program(std::move(ready)) { BuildIn(); }

    fs::path agent() const { return program / FromUtf8(agent_name_); }

    // The example of the README.
    void FillInLantern() const {
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

    // Compile, OK, and the whole build.
    void Build() const {
        ui::frmCompileIt* dialog = Compile();
        QVERIFY(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            !get() || (get()->CompileTimerInterval() == 0 && !get()->BuildRunning()), 20000);
    }

    // Compiles the example with the bundled builder: the package holds the
    // blocks that its document gives, and the folders are as the author had
    // them, plus the package.
    void CompileLanternIntoPackage() {
        const Names before = FilesIn(program);
        FillInLantern();
        Build();
        QCOMPARE(author.messages, QStringList{kSuccess});
        // The example ships its document, which every build writes anew and
        // then deletes.
        QCOMPARE(FilesIn(agent()), kAgentFiles);
        QCOMPARE(FilesIn(program), Plus(before, {"Lantern.agent"}));

        TempFolder expected;
        for (const std::string& file : kAgentFiles) {
            fs::copy_file(agent() / file, expected.path() / file);
        }
        WriteBytes(expected.path() / "Lantern.txt", LanternDocument());
        const fs::path package = expected.path() / "expected.agent";
        QCOMPARE(RunPray({ToUtf8(expected.path() / "Lantern.txt"), "-o", ToUtf8(package)}).status,
                 0);
        QCOMPARE(ReadBlocks(program / "Lantern.agent"), ReadBlocks(package));
    }

    // Compiles the example: the document, what the builder saw, and the
    // clean-up, which leaves the folders as the author had them.
    void CompileLantern() {
        const Names before = FilesIn(program);
        FillInLantern();
        std::string document;
        author.at_message = [&] { document = ReadBytes(agent() / "Lantern.txt"); };
        Build();
        QCOMPARE(author.messages, QStringList{kSuccess});
        QVERIFY(author.saw_progress_window);
        QCOMPARE(document, LanternDocument());
        const auto runs = StandInRuns(program);
        QCOMPARE(runs.size(), size_t{1});
        QCOMPARE(runs[0].arguments, Names{ToUtf8(agent() / "Lantern.txt")});
        QCOMPARE(runs[0].files_beside, Plus(before, Plus(kAgentFiles, {"Lantern.txt"})));
        QCOMPARE(FilesIn(agent()), kAgentFiles);
        QCOMPARE(FilesIn(program), Plus(before, {"stand_in.record"}));
    }

    TempFolder folder;
    fs::path program;
    Author author;

  private:
    std::string agent_name_ = "Lantern";

    void BuildIn() {
        BuildEnvironment environment;
        environment.program_folder = ToUtf8(program);
        environment.program_executable = ToUtf8(program / "ormel");
        environment.bundled_builder = ORMEL_BUNDLED_BUILDER;
        for (const char* installed : {"ormel-pray", "ormel-pray.exe"}) {
            if (fs::exists(program / installed))
                environment.bundled_builder = ToUtf8(program / installed);
        }
        get()->SetBuildEnvironment(environment);
    }
};

}  // namespace

class EndToEndTest : public WindowTest {
    Q_OBJECT

  private slots:
    void compiles_the_lantern_example() { Workbench().CompileLantern(); }

    // The second build in the same window waits for its own progress window
    // too, although the first one left LoadFinished true.
    void each_build_waits_for_its_progress_window() {
        Workbench bench;
        bench.FillInLantern();
        int progress_open_at_message = 0;
        bench.author.at_message = [&] {
            progress_open_at_message += ui::frmLoad::Current() != nullptr;
        };
        bench.Build();
        bench.Build();
        QCOMPARE(bench.author.messages, (QStringList{kSuccess, kSuccess}));
        QCOMPARE(progress_open_at_message, 0);
    }

    // Closing the main window during the build (here while its message is
    // up) leaves it open until the build has reported and cleaned up.
    void closing_during_the_build_finishes_it_first() {
        Workbench bench;
        bench.FillInLantern();
        bool visible_after_close = false;
        bench.author.at_message = [&] {
            bench->close();
            visible_after_close = bench->isVisible();
        };
        bench.Build();
        QVERIFY(visible_after_close);
        QTRY_VERIFY(!bench.get());
        QCOMPARE(FilesIn(bench.agent()), kAgentFiles);
    }

    // Without PRAY.exe the bundled builder makes the package; a document it
    // cannot read ends in the failure message, with its error line beneath.
    void compiles_with_the_bundled_builder() {
        Workbench bench;
        fs::remove(bench.program / "PRAY.exe");
        bench.CompileLanternIntoPackage();

        bench.Type("field_Remove_Script", R"(say "hi")");
        bench.Build();
        QCOMPARE(bench.author.messages.size(), 2);
        QCOMPARE(bench.author.messages[1].toStdString(), kBuildFailedMessage);
        QVERIFY2(bench.author.details[1].startsWith("Lantern.txt:25:23: a value ends"),
                 qPrintable(bench.author.details[1]));
    }
};

// The example agent compiled in a program folder that `cmake --install` laid
// out, as the README tells an author to do it: copy examples/Lantern in as
// the agent folder and type the values; the installed ormel-pray builds.
class InstalledFolderTest : public WindowTest {
    Q_OBJECT

  public:
    InstalledFolderTest() { setProperty("needsFixture", true); }

  private slots:
    void compiles_the_example_agent() {
        const fs::path installed =
            FromUtf8(qEnvironmentVariable("ORMEL_TEST_PROGRAM_FOLDER").toStdString());
        QVERIFY2(fs::is_regular_file(installed / "ormel") ||
                     fs::is_regular_file(installed / "ormel.exe"),
                 "no installed program folder");
        TempFolder temp;
        const fs::path work = temp.path() / "Ormel";
        fs::copy(installed, work, fs::copy_options::recursive);
        fs::copy(work / "examples" / "Lantern", work / "Lantern", fs::copy_options::recursive);
        Workbench(Workbench::Ready{}, work).CompileLanternIntoPackage();
    }
};

// What the Windows program must get right where Windows differs: the
// builder's start-up window, paths with blanks, the ANSI code page. Run under
// Wine in the Windows build; the Windows-only parts are skipped elsewhere.
class WindowsBehaviourTest : public WindowTest {
    Q_OBJECT

  private slots:
    // The builder starts minimized and does not take the focus from the
    // author's window (SW_SHOWMINNOACTIVE).
    void starts_the_builder_minimized_without_focus() {
        if (QOperatingSystemVersion::currentType() != QOperatingSystemVersion::Windows) {
            QSKIP("only Windows gives a started program a window style");
        }
        Workbench bench;
        bench.CompileLantern();
        QCOMPARE(StandInRuns(bench.program).at(0).window_style.value_or(-2), 7);
    }

    // Every path the build hands on holds the blanks: the builder's own, its
    // argument, its working folder.
    void builds_in_a_program_folder_whose_path_holds_blanks() {
        Workbench bench(fs::path("My Agents") / "Ormel program");
        bench.CompileLantern();
        QCOMPARE(QString::fromStdString(StandInRuns(bench.program).at(0).working_folder),
                 QString::fromStdString(ToUtf8(bench.program)));
    }

    // The document is written in code page 1252 (the ANSI code page here and
    // under Wine): "é" is the one byte E9, in the name and the file names.
    void writes_the_document_in_code_page_1252() {
        const std::string name = "Lant\xC3\xA9rn";  // Lantérn
        Workbench bench({}, name);
        bench.FillInLantern();
        // Typed as the keyboard gives it: "é" comes as its own key with text.
        bench.Type("field_Name", "Lant");
        QTest::sendKeyEvent(QTest::Click, bench.Find("field_Name"), Qt::Key_Eacute,
                            QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
        QTest::keyClicks(bench.Find("field_Name"), "rn");
        std::string document;
        bench.author.at_message = [&] {
            document = ReadBytes(bench.agent() / FromUtf8(name + ".txt"));
        };
        bench.Build();
        QCOMPARE(bench.author.messages,
                 QStringList{QString::fromUtf8(name.c_str()) + ".agent was created successfully."});
        QVERIFY(document.find("group AGNT \"Lant\xE9rn\"\r\n") != std::string::npos);
        QCOMPARE(StandInRuns(bench.program).at(0).arguments,
                 Names{ToUtf8(bench.agent() / FromUtf8(name + ".txt"))});
    }

    // Help's launcher keeps a program path with blanks whole, as Internet
    // Explorer's is: the program started is the one at that path, and it
    // gets the page's address as its one argument.
    void help_starts_a_browser_whose_path_holds_blanks() {
        TempFolder folder;
        const fs::path browser = folder.path() / "Program Files" / "Internet Explorer";
        fs::create_directories(browser);
        InstallStandIn(browser, "", "iexplore.exe");
        const QString page = ui::HelpPageAddress();
        QVERIFY(ui::SystemHelpLaunchers().startProgram(
            QString::fromStdString(ToUtf8(browser / "iexplore.exe")), {page}));
        QTRY_VERIFY_WITH_TIMEOUT(StandInRuns(browser).size() == 1 && StandInRuns(browser)[0].ended,
                                 20000);
        QCOMPARE(StandInRuns(browser)[0].arguments, Names{page.toStdString()});
    }
};

ORMEL_REGISTER_UI_TEST(EndToEndTest);
ORMEL_REGISTER_UI_TEST(WindowsBehaviourTest);
ORMEL_REGISTER_UI_TEST(InstalledFolderTest);

}  // namespace ormel::test

#include "end_to_end_test.moc"

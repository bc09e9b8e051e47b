// The whole program through its own windows, as an author uses it: fill the
// form, click Compile, press OK, and let the build run in a temporary program
// folder. The message box, the messages and the folders after each build the
// model fuzzer checks, and the builder's start the core's build tests (under
// Wine too); here the document and the bundled builder.
#include <QPushButton>
#include <filesystem>
#include <map>

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
// The example agent; its Lantern.txt is the document its form gives.
const fs::path kExample = FromUtf8(ORMEL_EXAMPLE_FOLDER);

// A main window that builds in a program folder and records its messages,
// running `at_message` at each. A message shown while the progress window is
// still open is marked as such.
class Workbench : public ShownMainWindow {
  public:
    // A fresh program folder below `parent`, its path holding blanks, with
    // the stand-in as PRAY.exe and the example agent's files in Lantern; or
    // one that is `ready`, with its own bundled builder.
    explicit Workbench(const fs::path& ready = {}, const std::string& parent = "My Agents")
        : program(ready.empty() ? folder.path() / FromUtf8(parent) / "Ormel program" : ready) {
        if (ready.empty()) {
            fs::create_directories(agent());
            InstallStandIn(program, "");
            for (const std::string& file : kAgentFiles) fs::copy(kExample / file, agent() / file);
        }
        get()->SetBuildEnvironment(
            {.program_folder = ToUtf8(program),
             .program_executable = ToUtf8(program / "ormel"),
             .bundled_builder = ready.empty() ? std::string(ORMEL_BUNDLED_BUILDER)
                                              : ToUtf8(program / BundledBuilderName())});
        get()->SetMessagePresenter([this](QWidget*, const QString& text, const QString& detail) {
            // No message before the progress window has gone.
            messages << (ui::frmLoad::Current() ? "over the progress window: " + text : text);
            details << detail;
            at_message();
        });
    }

    fs::path agent() const { return program / "Lantern"; }

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
        QTRY_VERIFY_WITH_TIMEOUT(get()->CompileTimerInterval() == 0 && !get()->BuildRunning(),
                                 20000);
    }

    // Compiles the example: the builder is given the example's own document.
    void CompileLantern() {
        FillInLantern();
        at_message = [this] { document = ReadBytes(agent() / "Lantern.txt"); };
        Build();
        at_message = [] {};
        QCOMPARE(messages, QStringList{kSuccess});
        QCOMPARE(document, ReadBytes(kExample / "Lantern.txt"));
    }

    // The package in the program folder holds the blocks the example's
    // document gives.
    void CheckPackage() const {
        TempFolder expected;
        const fs::path package = expected.path() / "expected.agent";
        QCOMPARE(RunPray({ToUtf8(kExample / "Lantern.txt"), "-o", ToUtf8(package)}).status, 0);
        QCOMPARE(ReadBlocks(program / "Lantern.agent"), ReadBlocks(package));
    }

    TempFolder folder;
    fs::path program;
    std::function<void()> at_message = [] {};
    QStringList messages;
    QStringList details;   // the informative text beneath each message
    std::string document;  // as CompileLantern's builder was given it
};

}  // namespace

class EndToEndTest : public WindowTest {
    Q_OBJECT

  private slots:
    // Without PRAY.exe the bundled builder makes the package; a document it
    // cannot read ends in the failure message, with its error line beneath.
    void compiles_with_the_bundled_builder() {
        Workbench bench;
        fs::remove(bench.program / "PRAY.exe");
        bench.CompileLantern();
        bench.CheckPackage();

        bench.Type("field_Remove_Script", R"(say "hi")");
        bench.Build();
        QCOMPARE(bench.messages.size(), 2);
        QCOMPARE(bench.messages[1].toStdString(), kBuildFailedMessage);
        QVERIFY2(bench.details[1].contains("Lantern.txt:25:23: error: a value ends"),
                 qPrintable(bench.details[1]));
    }
};

// The example agent compiled in a program folder that `cmake --install` laid
// out, as the README tells an author to do it: copy examples/Lantern in as
// the agent folder and type the values; the installed ormel-pray builds. It
// works in a copy of the folder, or with ORMEL_TEST_IN_PLACE set in the
// folder itself, as the installer's test does.
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
        const bool in_place = qEnvironmentVariableIsSet("ORMEL_TEST_IN_PLACE");
        TempFolder temp;
        const fs::path work = in_place ? installed : temp.path() / "Ormel";
        if (!in_place) fs::copy(installed, work, fs::copy_options::recursive);
        fs::copy(work / "examples" / "Lantern", work / "Lantern", fs::copy_options::recursive);
        Workbench bench(work);
        bench.CompileLantern();
        bench.CheckPackage();
    }
};

// What the Windows program must get right where Windows differs: the ANSI
// code page and a browser whose path holds blanks. Run under Wine in the
// Windows build too.
class WindowsBehaviourTest : public WindowTest {
    Q_OBJECT

  private slots:
    // The document is written in the ANSI code page, ORMEL_TEST_CODE_PAGE (by
    // default 1252, Wine's under C.UTF-8): the agent and a file named in its
    // letters, typed as the keyboard gives them, in a folder whose path also
    // holds "Ł", which none of these code pages can write. The stand-in and
    // the bundled builder, which reads the file names in that code page, build.
    // The name in 932 holds "\x83\x5C", whose second byte is a backslash.
    void builds_an_agent_named_in_the_ansi_code_page() {
        const std::map<QString, std::pair<std::string, std::string>> names{
            {"1252", {"Lant\xC3\xA9rn", "Lant\xE9rn"}},
            {"1251",
             {"\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB0\xD1\x80\xD1\x8C", "\xD4\xEE\xED\xE0\xF0\xFC"}},
            {"932",
             {"\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\xA9\xE3\x83\xBC\xE3\x83\xA9\xE3\x83\xB3\xE3\x82\xBF"
              "\xE3\x83\xB3",
              "\x83\x5C\x81\x5B\x83\x89\x81\x5B\x83\x89\x83\x93\x83\x5E\x83\x93"}}};
        // Named, not bound: clang 14 cannot capture a structured binding.
        const auto& named = names.at(qEnvironmentVariable("ORMEL_TEST_CODE_PAGE", "1252"));
        const std::string &name = named.first, &bytes = named.second;
        for (const bool bundled : {false, true}) {
            Workbench bench({}, "\xC5\x81ukasz " + name);
            if (bundled) fs::remove(bench.program / "PRAY.exe");
            const fs::path agent = bench.program / FromUtf8(name);
            fs::rename(bench.agent(), agent);
            fs::rename(agent / "glow.wav", agent / FromUtf8(name + ".wav"));
            bench.FillInLantern();
            for (const char* field : {"field_Name", "field_File_5"}) {
                bench.Type(field, "");
                for (const QChar letter : QString::fromStdString(name))
                    QTest::sendKeyEvent(QTest::Click, bench.Find(field), Qt::Key_unknown,
                                        QString(letter), {});
            }
            std::string document;
            bench.at_message = [&] { document = ReadBytes(agent / FromUtf8(name + ".txt")); };
            bench.Build();
            QCOMPARE(
                bench.messages,
                QStringList{QString::fromStdString(name + ".agent was created successfully.")});
            QVERIFY(document.find("group AGNT \"" + bytes + "\"\r\n") != std::string::npos);
            if (bundled) {
                const ReadBlock file = ReadBlocks(bench.program / FromUtf8(name + ".agent")).back();
                QCOMPARE(file.name, bytes + ".wav");
                QCOMPARE(file.bytes, ReadBytes(kExample / "glow.wav"));
            } else {
                QCOMPARE(StandInRuns(bench.program).at(0).arguments,
                         Names{ToUtf8(agent / FromUtf8(name + ".txt"))});
            }
        }
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

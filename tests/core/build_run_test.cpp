#include "build/build_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "build/pray_source_writer.h"
#include "platform/paths.h"
#include "support/agent_record.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Gt;
using ::testing::Le;

using Names = std::set<std::string>;

const std::string kSuccess = "Lantern.agent was created successfully.";
const std::string kFailure(kBuildFailedMessage);

// The main window as the build sees it. Its progress window has a tick due
// at every pump and completes on the tenth; once it is gone, a pump blocks
// for the whole wait, as an idle event loop does.
class FakeWindow : public BuildHost {
  public:
    AgentRecord agent = Lantern();
    BuildHandles handles;
    BuildEnvironment environment;
    int timer_interval = 1;  // armed by the OK that asked for the build
    bool load_finished = false;
    bool progress_open = false;
    int progress_windows = 0;
    int ticks = 0;
    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<milliseconds> waits;
    std::function<void(int tick)> on_tick;
    std::function<void()> on_message;

    BuildOutcome Tick() { return RunBuild(*this, handles, environment); }

    const AgentDescription& Description() const override { return agent; }
    bool LoadFinished() const override { return load_finished; }
    void SetLoadFinished(bool finished) override { load_finished = finished; }
    void ShowProgressWindow() override {
        progress_open = true;
        ++progress_windows;
        ticks = 0;
        events.push_back("progress shown");
    }
    void PumpEvents(milliseconds max_wait) override {
        waits.push_back(max_wait);
        if (!progress_open) {
            std::this_thread::sleep_for(max_wait);
            return;
        }
        ++ticks;
        if (on_tick) on_tick(ticks);
        if (ticks == 10) {
            load_finished = true;
            progress_open = false;
            events.push_back("progress done");
        }
    }
    void ShowMessage(const std::string& text) override {
        events.push_back("message");
        messages.push_back(text);
        if (on_message) on_message();
    }
    void SetCompileTimerInterval(int interval) override { timer_interval = interval; }
    void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "not busy"); }
};

class StringSink : public TextLineSink {
  public:
    std::string text;
    void WriteLine(std::string_view line) override {
        text += line;
        text += "\r\n";
    }
    void Close() override {}
};

std::string DocumentOf(const AgentDescription& agent) {
    StringSink sink;
    WritePraySource(agent, sink);
    return sink.text;
}

// The files (not folders) in a folder, leaving out the stand-in's own.
Names FilesIn(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = ToUtf8(entry.path().filename());
        if (entry.is_regular_file() && !name.starts_with("stand_in.")) names.insert(name);
    }
    return names;
}

// Every path below a folder with the bytes of each file: what a build must
// leave alone when it writes nothing.
std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        tree[ToUtf8(entry.path())] = entry.is_regular_file() ? ReadBytes(entry.path()) : "<dir>";
    }
    return tree;
}

Names Union(Names a, const Names& b) {
    a.insert(b.begin(), b.end());
    return a;
}

// A program folder under a path with a blank, holding the stand-in as
// PRAY.exe, the program itself and the agent folder Lantern with the
// author's files.
class BuildRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(agent_folder);
        for (const char* name : {"lantern.c16", "glow.wav", "lantern.cos"}) {
            WriteBytes(agent_folder / name, std::string("author's ") + name);
        }
        WriteBytes(program / "ormel.exe", "the program");
        InstallStandIn(program);
        builder_bytes = ReadBytes(program / "PRAY.exe");
        window.environment.program_folder = ToUtf8(program);
        window.environment.program_executable = ToUtf8(program / "ormel.exe");
    }
    void TearDown() override {
        // No builder may outlive the folder it runs in.
        if (window.handles.Builder) {
            ReleaseStandIn(program);
            AwaitExit(*window.handles.Builder);
        }
    }

    void Orders(std::string_view orders) {
        WriteBytes(program / "stand_in.control", std::string(orders));
    }
    std::string Path(const fs::path& relative) const { return ToUtf8(program / relative); }
    // What a build of the given staged names leaves in the program folder
    // when it stops before the clean-up.
    Names ProgramWith(const Names& staged) const { return Union(kProgramAtStart, staged); }

    const Names kProgramAtStart{"PRAY.exe", "ormel.exe"};
    const Names kAuthorFiles{"glow.wav", "lantern.c16", "lantern.cos"};
    const Names kLanternStaged{"Lantern.txt", "glow.wav", "lantern.c16", "lantern.cos"};

    TempFolder root;
    fs::path program = root.path() / "Program Files" / "Ormel";
    fs::path agent_folder = program / "Lantern";
    std::string builder_bytes;
    FakeWindow window;
};

TEST_F(BuildRunTest, LanternIsBuiltReportedAndCleanedUp) {
    Names staged_at_message;
    bool builder_ended_at_message = false;
    window.on_message = [&] {
        staged_at_message = FilesIn(program);
        builder_ended_at_message = StandInRuns(program).at(0).ended.has_value();
    };

    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);

    const auto runs = StandInRuns(program);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_THAT(runs[0].arguments, ElementsAre(Path(fs::path("Lantern") / "Lantern.txt")));
    EXPECT_EQ(runs[0].working_folder, ToUtf8(fs::current_path()));
    EXPECT_EQ(Names(runs[0].files_beside.begin(), runs[0].files_beside.end()),
              ProgramWith(kLanternStaged));
    EXPECT_EQ(staged_at_message, ProgramWith(kLanternStaged));
    EXPECT_TRUE(builder_ended_at_message);
    EXPECT_THAT(window.events,
                ElementsAre("progress shown", "progress done", "busy", "not busy", "message"));
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(FilesIn(program), kProgramAtStart);
    EXPECT_EQ(FilesIn(agent_folder), kAuthorFiles);
    EXPECT_EQ(ReadBytes(program / "PRAY.exe"), builder_bytes);
    EXPECT_EQ(window.timer_interval, 0);
    EXPECT_THAT(window.waits, Each(Le(milliseconds(50))));
    EXPECT_THAT(window.waits, Each(Gt(milliseconds(0))));
}

TEST_F(BuildRunTest, TheStagedDocumentIsTheWholeDocument) {
    std::string document;
    std::string staged;
    window.on_message = [&] {
        document = ReadBytes(agent_folder / "Lantern.txt");
        staged = ReadBytes(program / "Lantern.txt");
    };
    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    EXPECT_EQ(document, DocumentOf(Lantern()));
    EXPECT_EQ(staged, document);
}

// The copies are made in slot order, then the script, then the document: a
// missing file stops the staging there, after the copies before it.
struct MissingFileCase {
    const char* missing;
    Names staged;
};

void PrintTo(const MissingFileCase& c, std::ostream* out) {
    *out << c.missing << " missing";
}

class CopyOrder : public BuildRunTest, public ::testing::WithParamInterface<MissingFileCase> {};

TEST_P(CopyOrder, AMissingFileStopsTheStagingAfterTheEarlierCopies) {
    fs::remove(agent_folder / GetParam().missing);
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_EQ(FilesIn(program), ProgramWith(GetParam().staged));
    EXPECT_EQ(ReadBytes(agent_folder / "Lantern.txt"), DocumentOf(Lantern()));
    EXPECT_TRUE(StandInRuns(program).empty());
    EXPECT_EQ(window.progress_windows, 0);
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
    EXPECT_EQ(window.timer_interval, 0);
}

INSTANTIATE_TEST_SUITE_P(BuildRun, CopyOrder,
                         ::testing::Values(MissingFileCase{"lantern.c16", {}},
                                           MissingFileCase{"glow.wav", {"lantern.c16"}},
                                           MissingFileCase{"lantern.cos",
                                                           {"lantern.c16", "glow.wav"}}));

// The deletions run in slot order, then the document, the script's copy and
// the document's copy: a file that the builder made read-only stops them
// there, after the success message.
struct ReadOnlyCase {
    const char* made_read_only;
    Names left_in_program;
    bool document_left;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* out) {
    *out << c.made_read_only << " read-only";
}

class DeletionOrder : public BuildRunTest, public ::testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(DeletionOrder, AReadOnlyCopyStopsTheCleanUpAfterTheEarlierDeletions) {
    Orders(std::string("make_read_only ") + GetParam().made_read_only);
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_THAT(window.messages, ElementsAre(kSuccess, kFailure));
    EXPECT_EQ(FilesIn(program), ProgramWith(GetParam().left_in_program));
    EXPECT_EQ(fs::exists(agent_folder / "Lantern.txt"), GetParam().document_left);
    EXPECT_EQ(window.timer_interval, 0);
}

INSTANTIATE_TEST_SUITE_P(
    BuildRun, DeletionOrder,
    ::testing::Values(ReadOnlyCase{"lantern.c16",
                                   {"lantern.c16", "glow.wav", "lantern.cos", "Lantern.txt"},
                                   true},
                      ReadOnlyCase{"glow.wav", {"glow.wav", "lantern.cos", "Lantern.txt"}, true},
                      ReadOnlyCase{"Lantern/Lantern.txt", {"lantern.cos", "Lantern.txt"}, true},
                      ReadOnlyCase{"lantern.cos", {"lantern.cos", "Lantern.txt"}, false},
                      ReadOnlyCase{"Lantern.txt", {"Lantern.txt"}, false}));

// Which files are staged follows the used slots alone; whatever is staged,
// even twice, is cleaned up without a failure.
struct StagingCase {
    const char* what;
    std::function<void(AgentRecord&, const fs::path& agent_folder)> change;
    Names staged;
};

void PrintTo(const StagingCase& c, std::ostream* out) {
    *out << c.what;
}

class Staging : public BuildRunTest, public ::testing::WithParamInterface<StagingCase> {};

TEST_P(Staging, StagesTheUsedSlotsScriptAndDocumentAndRemovesThemOnce) {
    GetParam().change(window.agent, agent_folder);
    WriteBytes(program / "grey.c16", "a file of the program folder");
    const Names author_files = FilesIn(agent_folder);

    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    const auto runs = StandInRuns(program);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(Names(runs[0].files_beside.begin(), runs[0].files_beside.end()),
              Union(ProgramWith(GetParam().staged), {"grey.c16"}));
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(FilesIn(program), Union(kProgramAtStart, {"grey.c16"}));
    EXPECT_EQ(ReadBytes(program / "grey.c16"), "a file of the program folder");
    EXPECT_EQ(FilesIn(agent_folder), author_files);
}

INSTANTIATE_TEST_SUITE_P(
    BuildRun, Staging,
    ::testing::Values(StagingCase{"no used slot",
                                  [](AgentRecord& agent, const fs::path&) {
                                      agent.Slot(2).check = CheckValue::Clear;
                                      agent.Slot(5).check = CheckValue::Clear;
                                  },
                                  {"lantern.cos", "Lantern.txt"}},
                      StagingCase{"grayed slot",
                                  [](AgentRecord& agent, const fs::path& folder) {
                                      agent.Pick(3, "grey", ".c16");
                                      agent.Slot(3).check = CheckValue::Grayed;
                                      WriteBytes(folder / "grey.c16", "author's grey");
                                  },
                                  {"lantern.c16", "glow.wav", "lantern.cos", "Lantern.txt"}},
                      StagingCase{"image in the agent folder",
                                  [](AgentRecord& agent, const fs::path& folder) {
                                      agent.image = "picture";
                                      agent.image_ext = ".s16";
                                      WriteBytes(folder / "picture.s16", "author's picture");
                                  },
                                  {"lantern.c16", "glow.wav", "lantern.cos", "Lantern.txt"}},
                      StagingCase{"two slots naming one file",
                                  [](AgentRecord& agent, const fs::path&) {
                                      agent.Pick(5, "lantern", ".c16");
                                  },
                                  {"lantern.c16", "lantern.cos", "Lantern.txt"}},
                      StagingCase{"a slot naming the script",
                                  [](AgentRecord& agent, const fs::path&) {
                                      agent.Type(5, "lantern", ".cos");
                                      agent.Slot(5).category = 7;
                                  },
                                  {"lantern.c16", "lantern.cos", "Lantern.txt"}},
                      StagingCase{"a slot naming the document",
                                  [](AgentRecord& agent, const fs::path&) {
                                      agent.Type(5, "Lantern", ".txt");
                                      agent.Slot(5).category = 7;
                                  },
                                  {"lantern.c16", "lantern.cos", "Lantern.txt"}}),
    [](const auto& test) {
        std::string name = test.param.what;
        std::erase(name, ' ');
        return name;
    });

// A builder that fails, crashes or outlives its time takes the failure
// path, and everything staged stays where the builder may still read it.
struct BuilderCase {
    const char* what;
    const char* orders;
    milliseconds timeout;
};

void PrintTo(const BuilderCase& c, std::ostream* out) {
    *out << c.what;
}

class BuilderEnd : public BuildRunTest, public ::testing::WithParamInterface<BuilderCase> {};

TEST_P(BuilderEnd, IsAFailureThatDeletesNothing) {
    Orders(GetParam().orders);
    window.environment.builder_timeout = GetParam().timeout;
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_THAT(window.events,
                ElementsAre("progress shown", "progress done", "busy", "not busy", "message"));
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
    EXPECT_EQ(FilesIn(program), ProgramWith(kLanternStaged));
    EXPECT_TRUE(fs::exists(agent_folder / "Lantern.txt"));
    EXPECT_EQ(window.timer_interval, 0);
}

INSTANTIATE_TEST_SUITE_P(BuildRun, BuilderEnd,
                         ::testing::Values(BuilderCase{"exit3", "exit 3", std::chrono::seconds(60)},
                                           BuilderCase{"crash", "crash", std::chrono::seconds(60)},
                                           BuilderCase{"still_running", "wait_for_release",
                                                       milliseconds(300)}),
                         [](const auto& test) { return std::string(test.param.what); });

TEST_F(BuildRunTest, ASlowBuilderIsReportedOnlyAfterItEnded) {
    Orders("sleep_ms 2000");
    std::optional<std::string> ended_at_message;
    window.on_message = [&] { ended_at_message = StandInRuns(program).at(0).ended; };
    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    EXPECT_EQ(ended_at_message, "0");
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(FilesIn(program), kProgramAtStart);
}

TEST_F(BuildRunTest, EditsDuringTheWaitChangeNeitherReportNorCleanUp) {
    const Names programs_own{"other.c16", "other.cos", "Other.txt", "extra.wav"};
    for (const std::string& name : programs_own) WriteBytes(program / name, "the program's");
    window.on_tick = [this](int tick) {
        if (tick != 5) return;
        window.agent.name = "Other";
        window.agent.cos_file = "other";
        window.agent.Slot(2).file = "other";
        window.agent.Slot(5).check = CheckValue::Clear;
        window.agent.Pick(1, "extra", ".wav");
    };
    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(FilesIn(program), Union(kProgramAtStart, programs_own));
    EXPECT_EQ(FilesIn(agent_folder), kAuthorFiles);
}

TEST_F(BuildRunTest, BuildsNeverNest) {
    std::vector<BuildOutcome> nested;
    window.on_tick = [&](int tick) {
        if (tick != 5) return;
        nested.push_back(window.Tick());    // a tick of tmrCompileIt
        window.SetCompileTimerInterval(1);  // a second OK
        nested.push_back(window.Tick());
    };
    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    EXPECT_THAT(nested, ElementsAre(BuildOutcome::NotStarted, BuildOutcome::NotStarted));
    EXPECT_EQ(StandInRuns(program).size(), 1u);
    EXPECT_EQ(window.progress_windows, 1);
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(window.timer_interval, 0);
    EXPECT_FALSE(window.handles.BuildRunning());
}

TEST_F(BuildRunTest, AMissingAgentFolderCreatesNothing) {
    window.agent.name = "Lanterne";
    const auto before = Tree(root.path());
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_EQ(Tree(root.path()), before);
    EXPECT_EQ(window.progress_windows, 0);
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
    EXPECT_EQ(window.timer_interval, 0);
}

TEST_F(BuildRunTest, AMissingBuilderLeavesTheCopiesAndTheDocument) {
    fs::remove(program / "PRAY.exe");
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_EQ(FilesIn(program), Union({"ormel.exe"}, kLanternStaged));
    EXPECT_EQ(ReadBytes(agent_folder / "Lantern.txt"), DocumentOf(Lantern()));
    EXPECT_EQ(window.progress_windows, 0);
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
}

TEST_F(BuildRunTest, AFailingWriterLeavesThePartialDocumentClosed) {
    window.agent.Type(5, "glow", ".wav");  // typed, so without a category
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    ASSERT_TRUE(window.handles.AgentFile.has_value());
    EXPECT_FALSE(window.handles.AgentFile->IsOpen());
    const std::string partial = ReadBytes(agent_folder / "Lantern.txt");
    EXPECT_THAT(partial, ::testing::EndsWith("\"Dependency Category 1\" 2\r\n"));
    EXPECT_EQ(FilesIn(program), kProgramAtStart);
    EXPECT_THAT(window.messages, ElementsAre(kFailure));

    // The next build writes the document afresh.
    window.agent.Pick(5, "glow", ".wav");
    window.messages.clear();
    EXPECT_EQ(window.Tick(), BuildOutcome::Succeeded);
    EXPECT_THAT(window.messages, ElementsAre(kSuccess));
    EXPECT_EQ(FilesIn(program), kProgramAtStart);
}

// Names that would lead out of the program folder or the agent folder are
// refused before anything is written.
struct UnsafeNameCase {
    const char* what;
    std::function<void(AgentRecord&)> change;
};

void PrintTo(const UnsafeNameCase& c, std::ostream* out) {
    *out << c.what;
}

class UnsafeName : public BuildRunTest, public ::testing::WithParamInterface<UnsafeNameCase> {};

TEST_P(UnsafeName, FailsBeforeAnythingIsWritten) {
    GetParam().change(window.agent);
    const auto before = Tree(root.path());
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_EQ(Tree(root.path()), before);
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
    EXPECT_EQ(window.progress_windows, 0);
}

INSTANTIATE_TEST_SUITE_P(
    BuildRun, UnsafeName,
    ::testing::Values(
        UnsafeNameCase{"name_slash", [](AgentRecord& a) { a.name = "../Ormel"; }},
        UnsafeNameCase{"name_backslash", [](AgentRecord& a) { a.name = "..\\Ormel"; }},
        UnsafeNameCase{"name_dot", [](AgentRecord& a) { a.name = "."; }},
        UnsafeNameCase{"name_dotdot", [](AgentRecord& a) { a.name = ".."; }},
        UnsafeNameCase{"script_slash", [](AgentRecord& a) { a.cos_file = "../lantern"; }},
        UnsafeNameCase{"script_backslash", [](AgentRecord& a) { a.cos_file = "..\\lantern"; }},
        UnsafeNameCase{"slot_slash", [](AgentRecord& a) { a.Pick(5, "../glow", ".wav"); }},
        UnsafeNameCase{"slot_backslash", [](AgentRecord& a) { a.Pick(5, "..\\glow", ".wav"); }},
        UnsafeNameCase{"slot_ext_slash", [](AgentRecord& a) { a.Type(5, "..", "/glow.wav"); }},
        UnsafeNameCase{"slot_dotdot", [](AgentRecord& a) { a.Type(5, "..", ""); }}),
    [](const auto& test) { return std::string(test.param.what); });

// No staged copy replaces the builder or the program, however it is named;
// the copies before it are made.
struct ProtectedCase {
    const char* file;
    const char* ext;
};

void PrintTo(const ProtectedCase& c, std::ostream* out) {
    *out << c.file << c.ext;
}

class ProtectedFile : public BuildRunTest, public ::testing::WithParamInterface<ProtectedCase> {};

TEST_P(ProtectedFile, IsNeverReplacedByAStagedCopy) {
    const std::string name = std::string(GetParam().file) + GetParam().ext;
    WriteBytes(agent_folder / name, "author's file named like the builder");
    window.agent.Type(5, GetParam().file, GetParam().ext);
    window.agent.Slot(5).category = 1;
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    EXPECT_EQ(ReadBytes(program / "PRAY.exe"), builder_bytes);
    EXPECT_EQ(ReadBytes(program / "ormel.exe"), "the program");
    EXPECT_EQ(FilesIn(program), ProgramWith({"lantern.c16"}));
    EXPECT_TRUE(StandInRuns(program).empty());
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
}

const ProtectedCase kProtectedCases[] = {
    {"PRAY", ".exe"},
    {"ormel", ".exe"},
#ifdef _WIN32
    // Windows reads names without regard to case and drops trailing dots
    // and blanks.
    {"pray", ".EXE"},
    {"Ormel.exe", ". "},
#endif
};

INSTANTIATE_TEST_SUITE_P(BuildRun, ProtectedFile, ::testing::ValuesIn(kProtectedCases));

TEST_F(BuildRunTest, AnEmptyNameFailsAtTheCopyOntoItselfAndDamagesNothing) {
    // With no name the agent folder is the program folder itself.
    for (const char* name : {"lantern.c16", "glow.wav", "lantern.cos"}) {
        fs::copy_file(agent_folder / name, program / name);
    }
    window.agent.name = "";
    EXPECT_EQ(window.Tick(), BuildOutcome::Failed);
    AgentRecord unnamed = Lantern();
    unnamed.name = "";
    EXPECT_EQ(ReadBytes(program / ".txt"), DocumentOf(unnamed));
    EXPECT_EQ(ReadBytes(program / "lantern.c16"), "author's lantern.c16");
    EXPECT_EQ(FilesIn(program), Union(ProgramWith(kAuthorFiles), {".txt"}));
    EXPECT_TRUE(StandInRuns(program).empty());
    EXPECT_THAT(window.messages, ElementsAre(kFailure));
}

TEST(BuildMessages, AreTheProgramsOwnTexts) {
    EXPECT_EQ(BuildSucceededMessage("Lantern"), "Lantern.agent was created successfully.");
    EXPECT_EQ(BuildSucceededMessage(""), ".agent was created successfully.");
    EXPECT_EQ(kBuildFailedMessage,
              "ERROR: An error has occured. The agent was not created. Make sure the file "
              "doesn't already exist.");
}

}  // namespace
}  // namespace ormel::test

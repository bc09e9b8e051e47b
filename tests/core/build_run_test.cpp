#include "agent/build_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "support/agent_record.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using namespace std::chrono_literals;
using namespace ::testing;
using Names = std::set<std::string>;

// The program's own texts, spelling included.
const std::string kSuccess = "Lantern.agent was created successfully.";
const std::string kFailure =
    "ERROR: An error has occured. The agent was not created. Make sure the file doesn't already "
    "exist.";

// Every file below the root but the stand-in's own, by its path relative to
// the program folder ("../x" lies outside it), with its bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& root, const fs::path& program) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto relative = entry.path().lexically_relative(program).generic_u8string();
        if (entry.is_regular_file() && !ToUtf8(entry.path().filename()).starts_with("stand_in.")) {
            files[{relative.begin(), relative.end()}] = ReadBytes(entry.path());
        }
    }
    return files;
}

// The main window as the build sees it, over a program folder under a path
// with a blank that holds the stand-in as PRAY.exe, the program itself and
// the agent folder Lantern with the author's files; another stand-in is the
// bundled builder. Its progress window completes on the tenth pump; once it
// is gone, a pump blocks for the whole wait, as an idle event loop does.
struct Bench : BuildHost {
    TempFolder root;
    fs::path program = root.path() / "Program Files" / "Ormel";
    fs::path agent_folder = program / "Lantern";
    AgentRecord agent = Lantern();
    BuildHandles handles;
    BuildEnvironment environment{ToUtf8(program), ToUtf8(program / "ormel.exe"),
                                 ToUtf8(root.path() / "bundled" / "ormel-pray")};
    fs::path builder_folder = program;  // where the started builder records
    int timer_interval = 1;             // armed by the OK that asked for the build
    bool load_finished = false;
    int ticks = 0;
    std::vector<std::string> events, details;  // the messages' texts and what lies beneath
    std::vector<milliseconds> waits;
    std::function<void()> during_progress, on_message;  // at the fifth pump; at a message

    Bench() {
        fs::create_directories(agent_folder);
        for (const char* name : {"lantern.c16", "glow.wav", "lantern.cos"}) {
            WriteBytes(agent_folder / name, std::string("author's ") + name);
        }
        WriteBytes(program / "ormel.exe", "the program");
        InstallStandIn(program);
        fs::create_directories(root.path() / "bundled");
        InstallStandIn(root.path() / "bundled", {}, "ormel-pray");
    }
    ~Bench() override {  // no builder may outlive the folder it runs in
        if (handles.Builder) Await(*handles.Builder);
    }
    BuildOutcome Tick() { return RunBuild(*this, handles, environment); }

    const AgentDescription& Description() const override { return agent; }
    bool LoadFinished() const override { return load_finished; }
    void SetLoadFinished(bool finished) override { load_finished = finished; }
    void SetCompileTimerInterval(int interval) override { timer_interval = interval; }
    void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "not busy"); }
    void ShowProgressWindow() override { events.push_back("progress shown"); }
    void PumpEvents(milliseconds max_wait) override {
        if (load_finished) {  // the builder's wait, which looks at it every slice
            waits.push_back(max_wait);
            return std::this_thread::sleep_for(max_wait);
        }
        if (++ticks == 5 && during_progress) during_progress();
        if (ticks == 10) events.push_back("progress done"), load_finished = true;
    }
    void ShowMessage(const std::string& text, const std::string& detail) override {
        events.push_back(text);
        details.push_back(detail);
        if (on_message) on_message();
    }
};

using Arrange = std::function<void(Bench&)>;

// What one build leaves on disk and which messages it shows. File names
// are relative to the program folder and separated by blanks.
struct BuildCase {
    const char* name;
    Arrange arrange;
    const char* staged;  // beside the builder when it starts; null: never started
    std::vector<std::string> messages;
    const char* left;        // the files the build adds; "-name": a file it deletes
    const char* cause = "";  // how the failure message's detail starts
};

Arrange Orders(const char* orders) {
    return [orders](Bench& b) { InstallStandIn(b.program, orders); };
}
Names Split(const char* names) {
    std::istringstream words(names ? names : "");
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}
// Removes the files, named relative to the program folder.
Arrange Remove(const char* files) {
    return [files](Bench& b) {
        for (const std::string& file : Split(files)) fs::remove(b.program / file);
    };
}
Arrange Named(const char* name) {
    return [name](Bench& b) { b.agent.name = name; };
}
// No PRAY.exe: the bundled builder, with its orders, takes its place.
Arrange Bundled(const char* orders) {
    return [orders](Bench& b) {
        fs::remove(b.program / "PRAY.exe");
        b.builder_folder = b.root.path() / "bundled";
        WriteBytes(b.builder_folder / "stand_in.control", orders);
    };
}
// Slot 5 names a file of the agent folder, however it is named; its copy's
// place may be a hard link to a file of the bench.
Arrange SlotFile(const char* file, const char* ext, const char* linked_to = nullptr) {
    return [=](Bench& b) {
        WriteBytes(b.agent_folder / (std::string(file) + ext), "author's");
        b.agent.Use(5, file, ext).category = 1;
        if (linked_to)
            fs::create_hard_link(b.program / linked_to, b.program / (file + std::string(ext)));
    };
}

const char* const kLantern = "Lantern.txt glow.wav lantern.c16 lantern.cos";
const char* const kAllLeft = "Lantern.txt glow.wav lantern.c16 lantern.cos Lantern/Lantern.txt";
const char* const kWritten = "Lantern/Lantern.txt lantern.c16";  // until the slot 5 copy fails
const std::vector<std::string> kSucceeds{kSuccess}, kFails{kFailure}, kBoth{kSuccess, kFailure};

const BuildCase kBuildCases[] = {
    {"Lantern", [](Bench&) {}, kLantern, kSucceeds, ""},
    // Longer than a tenth of the builder's minute, and still in time.
    {"BuilderTakingSixAndAHalfSeconds",
     [](Bench& b) {
         InstallStandIn(b.program, "sleep_ms 6500");
         b.on_message = [&b] { EXPECT_EQ(StandInRuns(b.program).at(0).ended, "0"); };
     },
     kLantern, kSucceeds, ""},
    // A document and copies left by an earlier build are replaced, then
    // deleted by the clean-up.
    {"StaleDocumentAndCopies",
     [](Bench& b) {
         WriteBytes(b.agent_folder / "Lantern.txt", "stale");
         for (const std::string& name : Split(kLantern)) WriteBytes(b.program / name, "stale");
     },
     kLantern, kSucceeds, "-Lantern/Lantern.txt -Lantern.txt -glow.wav -lantern.c16 -lantern.cos"},
    // A copy that a slot and the script share is deleted once.
    {"SlotNamingTheScript", [](Bench& b) { b.agent.Use(5, "lantern", ".cos").category = 7; },
     "Lantern.txt lantern.c16 lantern.cos", kSucceeds, ""},
    {"BuildAskedForDuringTheWait",
     [](Bench& b) { b.during_progress = [&b] { EXPECT_EQ(b.Tick(), BuildOutcome::NotStarted); }; },
     kLantern, kSucceeds, ""},
    // The failure path deletes nothing: what was made until then stays.
    {"AgentFolderMissing", Named("Lanterne"), nullptr, kFails, "", "opening \""},
    {"WriterFails", [](Bench& b) { b.agent.Slot(5).category.reset(); }, nullptr, kFails,
     "Lantern/Lantern.txt", "file row 5 has no extension"},
    {"SlotFileMissing", Remove("Lantern/glow.wav"), nullptr, kFails, kWritten, "no file \""},
    {"NoBuilderAtAll", Remove("PRAY.exe ../../bundled/ormel-pray"), nullptr, kFails, kAllLeft,
     "there is no builder"},
    {"BuilderExits3", Orders("exit 3"), kLantern, kFails, kAllLeft,
     "the builder ended with status 3"},
    {"BuilderCrashes", Orders("crash"), kLantern, kFails, kAllLeft, "the builder crashed"},
    // The builder's own last five lines tell the author why, blank lines
    // left out, from the end of an output longer than the part kept.
    {"BuilderSaysWhy",
     Orders("say 1\nblank_lines 70000\nsay 2\nsay 3\r\nsay 4\nsay \r\nsay 5\nsay 6\nsay 7\nexit 1"),
     kLantern, kFails, kAllLeft, "3\n4\n5\n6\n7"},
    // Without PRAY.exe the bundled builder runs in its place, in the program
    // folder, and counts only when the package is there.
    {"BundledBuilder", Bundled("package"), kLantern, kSucceeds, "Lantern.agent"},
    {"BundledBuilderMakingNoPackage", Bundled(""), kLantern, kFails, kAllLeft,
     "the builder ended without making"},
    // Stopped before the report, it never writes its package, even when it
    // ignores being asked to end.
    {"BuilderStillRunningAtTheDeadline",
     [](Bench& b) {
         InstallStandIn(b.program, "ignore_stop\nsleep_ms 1000\npackage");
         b.environment.builder_timeout = 300ms;
         b.environment.stop_grace = 100ms;
         b.on_message = [&b] { EXPECT_TRUE(b.handles.Builder->Poll()); };
     },
     kLantern, kFails, kAllLeft, "the builder was still running after 300 ms"},
    // Deletions run in slot order, then the document, the script's copy and
    // the document's copy; a read-only file stops them after the report.
    {"CopyMadeReadOnlyByTheBuilder", Orders("make_read_only glow.wav"), kLantern, kBoth,
     "glow.wav lantern.cos Lantern.txt Lantern/Lantern.txt"},
    {"ScriptCopyMadeReadOnlyByTheBuilder", Orders("make_read_only lantern.cos"), kLantern, kBoth,
     "lantern.cos Lantern.txt"},
    // The builders, the program and the package are never replaced by a
    // staged copy, whatever name or link leads to them.
    {"SlotNamedLikeTheBuilder", SlotFile("PRAY", ".exe"), nullptr, kFails, kWritten},
    {"SlotNamedLikeTheProgram", SlotFile("ormel", ".exe"), nullptr, kFails, kWritten},
    {"SlotNamedLikeThePackage", SlotFile("Lantern", ".agent"), nullptr, kFails, kWritten},
    {"SlotNamingALinkToTheBundledBuilder", SlotFile("link", ".exe", "../../bundled/ormel-pray"),
     nullptr, kFails, kWritten},
#ifdef _WIN32
    {"SlotNamedLikeTheBuilderInOtherCase", SlotFile("pray", ".EXE"), nullptr, kFails, kWritten},
#endif
    // Names leading out of their folder fail before anything is written;
    // with no name the agent folder would be the program folder itself.
    {"NameLeadingUp", Named("../Ormel"), nullptr, kFails, ""},
    {"ScriptLeadingUp", [](Bench& b) { b.agent.cos_file = "..\\lantern"; }, nullptr, kFails, ""},
    {"NameDotDot", Named(".."), nullptr, kFails, ""},
    {"EmptyName", Named(""), nullptr, kFails, "", "the agent has no name"},
    // So does a character that the code page cannot write (here 1252).
    {"NameOutsideTheCodePage", Named("\xC5\x81ukasz"), nullptr, kFails, "",
     "the agent name holds \"\xC5\x81\", which the system's code page (1252) cannot write"},
    {"SlotOutsideTheCodePage", [](Bench& b) { b.agent.Use(5, "glow\xE2\x88\x9E", ".wav"); },
     nullptr, kFails, "", "the file name in file row 5 holds \"\xE2\x88\x9E\""},
};

class BuildRun : public TestWithParam<BuildCase> {};

TEST_P(BuildRun, LeavesTheFilesAndShowsTheMessagesItShould) {
    const BuildCase& c = GetParam();
    Bench bench;
    c.arrange(bench);
    const AgentRecord agent = bench.agent;  // as the writer reads it
    const auto before = FilesUnder(bench.root.path(), bench.program);

    const bool succeeded = c.messages == kSucceeds;
    EXPECT_EQ(bench.Tick(), succeeded ? BuildOutcome::Succeeded : BuildOutcome::Failed);
    std::vector<std::string> events;
    if (c.staged) events = {"progress shown", "progress done", "busy", "not busy"};
    events.insert(events.end(), c.messages.begin(), c.messages.end());
    EXPECT_EQ(bench.events, events);
    EXPECT_THAT(bench.details.back(), StartsWith(c.cause));
    EXPECT_EQ(bench.timer_interval, 0);
    EXPECT_FALSE(bench.handles.AgentFile && bench.handles.AgentFile->IsOpen());
    EXPECT_THAT(bench.waits, Each(AllOf(Gt(0ms), Le(50ms))));  // short slices, never a spin

    const auto runs = StandInRuns(bench.builder_folder);
    ASSERT_EQ(runs.size(), c.staged ? 1u : 0u);
    if (c.staged) {
        const fs::path document = bench.program / FromUtf8(agent.name) / (agent.name + ".txt");
        EXPECT_EQ(runs[0].arguments, std::vector{ToUtf8(document)});
        EXPECT_EQ(runs[0].working_folder, ToUtf8(bench.program));
#ifdef _WIN32
        EXPECT_EQ(runs[0].window_style, 7);  // SW_SHOWMINNOACTIVE: minimized, not focused
#endif
        Names beside = Split(c.staged);
        for (const auto& [path, bytes] : before) {
            if (path.find('/') == std::string::npos) beside.insert(path);
        }
        EXPECT_EQ(Names(runs[0].files_beside.begin(), runs[0].files_beside.end()), beside);
    }

    // The files found keep their bytes; a file made is a document, a copy of
    // the author's file or the stand-in's package.
    Names expected, found;
    for (const auto& [path, bytes] : before) expected.insert(path);
    for (const std::string& name : Split(c.left)) {
        name.starts_with('-') ? void(expected.erase(name.substr(1))) : void(expected.insert(name));
    }
    for (const auto& [path, bytes] : FilesUnder(bench.root.path(), bench.program)) {
        found.insert(path);
        const auto source = before.find(before.contains(path) ? path : "Lantern/" + path);
        EXPECT_EQ(bytes, source != before.end() ? source->second : bytes) << path;
        EXPECT_TRUE(source != before.end() || path.ends_with(".txt") || bytes == "package\n")
            << path;
    }
    EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildRun, ValuesIn(kBuildCases),
                         [](const auto& test) { return std::string(test.param.name); });

// The launcher alone: on Windows only quoting keeps the builder's path,
// which holds a blank, and each argument whole. Without a working folder
// the builder starts in the current one.
TEST(Launch, PassesEachArgumentWhole) {
    Bench bench;
    InstallStandIn(bench.program, "exit 3");
    const std::vector<std::string> arguments{ToUtf8(bench.agent_folder / "Lantern.txt"),
                                             R"(say "hi")", R"(ends in \)"};
    Process process =
        Launch(ToUtf8(bench.program / "PRAY.exe"), arguments, WindowStyle::MinimizedNoActivate);
    EXPECT_EQ(Await(process).code, 3);
    const auto runs = StandInRuns(bench.program);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, arguments);
    EXPECT_EQ(runs[0].working_folder, ToUtf8(fs::current_path()));
}

#ifndef _WIN32
// A PRAY.exe made for Windows runs through the wine found on PATH (a file
// named wine that is no program is passed over), with the same document, in
// the program folder; without wine the author learns why. The builder's
// output leaves no file in the temporary folder.
TEST(BuildRunOutsideWindows, StartsAWindowsBuilderThroughWine) {
    const std::string path = std::getenv("PATH");
    const std::string temp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    for (const bool wine_installed : {true, false}) {
        Bench bench;
        WriteBytes(bench.program / "PRAY.exe", "MZ, a Windows program");
        bench.builder_folder = bench.root.path() / "bundled";  // PATH, with or without wine
        if (wine_installed) InstallStandIn(bench.builder_folder, "", "wine");
        fs::create_directories(bench.root.path() / "plain");
        WriteBytes(bench.root.path() / "plain" / "wine", "not a program");
        const std::string plain = ToUtf8(bench.root.path() / "plain");
        setenv("PATH", (plain + ":" + ToUtf8(bench.builder_folder)).c_str(), 1);
        setenv("TMPDIR", plain.c_str(), 1);
        EXPECT_EQ(bench.Tick(), wine_installed ? BuildOutcome::Succeeded : BuildOutcome::Failed);
        setenv("PATH", path.c_str(), 1);
        temp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", temp.c_str(), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(bench.root.path() / "plain"), {}), 1);

        EXPECT_THAT(bench.details.back(), HasSubstr(wine_installed ? "" : "is a Windows program"));
        const auto runs = StandInRuns(bench.builder_folder);
        ASSERT_EQ(runs.size(), wine_installed ? 1u : 0u);
        if (!wine_installed) continue;
        EXPECT_EQ(runs[0].arguments, (std::vector{ToUtf8(bench.program / "PRAY.exe"),
                                                  ToUtf8(bench.agent_folder / "Lantern.txt")}));
        EXPECT_EQ(runs[0].working_folder, ToUtf8(bench.program));
    }
}
#endif

}  // namespace
}  // namespace ormel::test

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
    std::function<void()> during_progress;  // at the fifth pump

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
        EXPECT_TRUE(!handles.Builder || handles.Builder->Poll());  // no message before its end
    }
};

// The cases of build_cases.txt, whose head says what each key means.
using BuildCase = std::map<std::string, std::string>;

std::vector<BuildCase> BuildCases() {
    std::vector<BuildCase> cases(1);
    std::istringstream lines(ReadBytes(FromUtf8(ORMEL_BUILD_CASES)));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('#')) continue;
        if (line.empty() && !cases.back().empty()) cases.emplace_back();
        if (line.empty()) continue;
        const std::string key = line.substr(0, line.find(':'));
        std::string value = line.substr(std::min(line.size(), key.size() + 2));
        for (const auto& [escape, byte] : {std::pair{"\\r", "\r"}, {"\\n", "\n"}}) {
            for (std::size_t at; (at = value.find(escape)) != std::string::npos;)
                value.replace(at, 2, byte);
        }
        std::string& joined = cases.back()[key];
        joined += (joined.empty() ? "" : "\n") + value;
    }
    return cases;
}

Names Split(const std::string& names) {
    std::istringstream words(names);
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

void Arrange(Bench& b, BuildCase& c) {
    for (const std::string& file : Split(c["remove"])) fs::remove(b.program / file);
    for (const std::string& file : Split(c["write"])) WriteBytes(b.program / file, "stale");
    if (c.contains("name")) b.agent.name = c["name"];
    if (c.contains("script")) b.agent.cos_file = c["script"];
    if (c.contains("first image")) b.agent.first_image = c["first image"];
    if (c.contains("bundled")) {
        fs::remove(b.program / "PRAY.exe");
        b.builder_folder = b.root.path() / "bundled";
    }
    if (c.contains("orders") || c.contains("bundled"))
        WriteBytes(b.builder_folder / "stand_in.control", c["orders"]);
    std::istringstream slot(c["slot 5"]), link(c["link"]);
    if (std::string file, ext, category; slot >> file >> ext) {
        SlotRecord& used = b.agent.Use(5, file, ext);
        if (slot >> category) {
            WriteBytes(b.agent_folder / FromUtf8(file + ext), "author's");
            used.category = category == "none" ? std::nullopt : std::optional(std::stoi(category));
        }
    }
    if (std::string name, target; link >> name >> target)
        fs::create_hard_link(b.program / target, b.program / name);
    if (c.contains("timeout ms"))
        b.environment.builder_timeout = milliseconds(std::stoi(c["timeout ms"]));
    if (c.contains("grace ms")) b.environment.stop_grace = milliseconds(std::stoi(c["grace ms"]));
    if (c.contains("during the wait"))
        b.during_progress = [&b] { EXPECT_EQ(b.Tick(), BuildOutcome::NotStarted); };
}

TEST(BuildRun, LeavesTheFilesAndShowsTheMessagesItShould) {
    for (BuildCase& c : BuildCases()) {
        SCOPED_TRACE(c["case"]);
#ifndef _WIN32
        if (c.contains("only on")) continue;
#endif
        Bench bench;
        Arrange(bench, c);
        const AgentRecord agent = bench.agent;  // as the writer reads it
        const auto before = FilesUnder(bench.root.path(), bench.program);

        std::vector<std::string> messages{c["messages"] == "failure" ? kFailure : kSuccess};
        if (c["messages"] == "both") messages.push_back(kFailure);
        EXPECT_EQ(bench.Tick(),
                  c["messages"] == "success" ? BuildOutcome::Succeeded : BuildOutcome::Failed);
        const bool staged = c.contains("staged");
        std::vector<std::string> events;
        if (staged) events = {"progress shown", "progress done", "busy", "not busy"};
        events.insert(events.end(), messages.begin(), messages.end());
        EXPECT_EQ(bench.events, events);
        EXPECT_THAT(bench.details.back(), StartsWith(c["cause"]));
        EXPECT_EQ(bench.timer_interval, 0);
        EXPECT_FALSE(bench.handles.AgentFile && bench.handles.AgentFile->IsOpen());
        EXPECT_THAT(bench.waits, Each(AllOf(Gt(0ms), Le(50ms))));  // short slices, never a spin

        const auto runs = StandInRuns(bench.builder_folder);
        ASSERT_EQ(runs.size(), staged ? 1u : 0u);
        if (staged) {
            const fs::path document = bench.program / FromUtf8(agent.name) / (agent.name + ".txt");
            EXPECT_EQ(runs[0].arguments, std::vector{ToUtf8(document)});
            EXPECT_EQ(runs[0].working_folder, ToUtf8(bench.program));
#ifdef _WIN32
            EXPECT_EQ(runs[0].window_style, 7);  // SW_SHOWMINNOACTIVE: minimized, not focused
#endif
            Names beside = Split(c["staged"]);
            for (const auto& [path, bytes] : before) {
                if (path.find('/') == std::string::npos) beside.insert(path);
            }
            EXPECT_EQ(Names(runs[0].files_beside.begin(), runs[0].files_beside.end()), beside);
        }

        // The files found keep their bytes; a file made is a document, a copy
        // of the author's file or the stand-in's package.
        Names expected, found;
        for (const auto& [path, bytes] : before) expected.insert(path);
        for (const std::string& name : Split(c["left"])) {
            name.starts_with('-') ? void(expected.erase(name.substr(1)))
                                  : void(expected.insert(name));
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
}

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

#include "platform/launch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/program_location.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(WindowsCommandLine, QuotesEveryPartSoThatBlanksSplitNothing) {
    struct Case {
        std::string program;
        std::vector<std::string> arguments;
        std::string line;
    };
    const Case cases[] = {
        {R"(C:\Program Files\Ormel\PRAY.exe)",
         {R"(C:\Program Files\Ormel\Lantern\Lantern.txt)"},
         R"("C:\Program Files\Ormel\PRAY.exe" "C:\Program Files\Ormel\Lantern\Lantern.txt")"},
        {R"(C:\Ormel\PRAY.exe)", {R"(C:\Ormel\\.txt)"}, R"("C:\Ormel\PRAY.exe" "C:\Ormel\\.txt")"},
        {"a.exe", {}, R"("a.exe")"},
        {"a.exe", {""}, R"("a.exe" "")"},
        // Backslashes count only before a quote: there they are doubled.
        {"a.exe", {R"(ends in \)"}, R"("a.exe" "ends in \\")"},
        {"a.exe", {R"(say "hi")"}, R"("a.exe" "say \"hi\"")"},
        {"a.exe", {R"(x\"y)"}, R"("a.exe" "x\\\"y")"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowsCommandLine(c.program, c.arguments), c.line);
    }
}

// A program folder whose path holds a blank, as under "C:\Program Files".
class LaunchTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(program_folder); }
    std::string Builder() const { return ToUtf8(program_folder / "PRAY.exe"); }

    TempFolder root;
    fs::path program_folder = root.path() / "Program Files" / "Ormel";
};

TEST_F(LaunchTest, StartsTheProgramWithItsArgumentsInTheCurrentFolder) {
    InstallStandIn(program_folder);
    const std::vector<std::string> arguments{
        JoinPath({ToUtf8(program_folder), "Lantern", "Lantern.txt"}), R"(say "hi")",
        R"(ends in \)"};
    Process process = Launch(Builder(), arguments, WindowStyle::MinimizedNoActivate);
    EXPECT_TRUE(AwaitExit(process).Succeeded());

    const auto runs = StandInRuns(program_folder);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_THAT(runs[0].arguments, ElementsAreArray(arguments));
    EXPECT_EQ(runs[0].working_folder, ToUtf8(fs::current_path()));
#ifdef _WIN32
    EXPECT_EQ(runs[0].command_line, WindowsCommandLine(Builder(), arguments));
#endif
}

TEST_F(LaunchTest, PollTellsHowTheProgramEnded) {
    struct Case {
        const char* orders;
        bool exited_normally;
        int code;
    };
    const Case cases[] = {
        {"exit 0", true, 0},
        {"exit 3", true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orders);
        InstallStandIn(program_folder, c.orders);
        Process process = Launch(Builder(), {}, WindowStyle::Normal);
        const ProcessExit exit = AwaitExit(process);
        EXPECT_EQ(exit.exited_normally, c.exited_normally);
        EXPECT_EQ(exit.code, c.code);
        EXPECT_EQ(exit.Succeeded(), c.code == 0);
    }
}

TEST_F(LaunchTest, ACrashIsNoSuccess) {
    InstallStandIn(program_folder, "crash");
    Process process = Launch(Builder(), {}, WindowStyle::Normal);
    EXPECT_FALSE(AwaitExit(process).Succeeded());
}

TEST_F(LaunchTest, PollReturnsAtOnceWhileTheProgramRuns) {
    InstallStandIn(program_folder, "wait_for_release\nexit 0\n");
    Process process = Launch(Builder(), {}, WindowStyle::Normal);
    EXPECT_EQ(process.Poll(), std::nullopt);
    EXPECT_EQ(process.Poll(), std::nullopt);
    ReleaseStandIn(program_folder);
    EXPECT_TRUE(AwaitExit(process).Succeeded());
    // The exit stays known after the process is gone.
    ASSERT_TRUE(process.Poll().has_value());
    EXPECT_TRUE(process.Poll()->Succeeded());
}

TEST_F(LaunchTest, AMissingProgramCannotBeStarted) {
    EXPECT_THROW(Launch(Builder(), {"x"}, WindowStyle::MinimizedNoActivate), LaunchError);
}

TEST(ProgramLocation, IsTheRunningExecutableAndItsFolder) {
    const fs::path executable = FromUtf8(ProgramExecutablePath());
    EXPECT_TRUE(fs::is_regular_file(executable));
    EXPECT_THAT(ToUtf8(executable.filename()), ::testing::StartsWith("core_tests"));
    EXPECT_TRUE(fs::equivalent(FromUtf8(ProgramFolder()), executable.parent_path()));
}

}  // namespace
}  // namespace ormel::test

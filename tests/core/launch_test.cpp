#include "platform/launch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/stand_in.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// A program folder whose path holds a blank, as under "C:\Program Files":
// on Windows only quoting keeps the builder's path and each argument whole.
// How a builder ended (status, crash) is checked through the build's
// failure messages in build_run_test.cpp.
TEST(Launch, PassesEachArgumentWholeAndStaysInTheCurrentFolder) {
    TempFolder root;
    const fs::path program = root.path() / "Program Files" / "Ormel";
    fs::create_directories(program);
    const std::vector<std::string> arguments{ToUtf8(program / "Lantern" / "Lantern.txt"),
                                             R"(say "hi")", R"(ends in \)"};
    InstallStandIn(program, "exit 3");
    Process process =
        Launch(ToUtf8(program / "PRAY.exe"), arguments, WindowStyle::MinimizedNoActivate);
    EXPECT_EQ(ReleaseAndAwait(program, process).code, 3);
    const auto runs = StandInRuns(program);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, arguments);
    EXPECT_EQ(runs[0].working_folder, ToUtf8(fs::current_path()));
}

}  // namespace
}  // namespace ormel::test

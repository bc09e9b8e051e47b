#include "platform/launch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/stand_in.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// A program folder whose path holds a blank, as under "C:\Program Files":
// on Windows only quoting keeps the builder's path and each argument whole.
TEST(Launch, StartsTheBuilderWithItsArgumentsAndLearnsHowItEnded) {
    TempFolder root;
    const fs::path program = root.path() / "Program Files" / "Ormel";
    fs::create_directories(program);
    const std::vector<std::string> arguments{ToUtf8(program / "Lantern" / "Lantern.txt"),
                                             R"(say "hi")", R"(ends in \)"};
    const std::tuple<const char*, bool, int> cases[] = {
        {"exit 0", true, 0}, {"exit 3", false, 3}, {"crash", false, -1}};  // -1: any code
    for (const auto& [orders, succeeded, code] : cases) {
        fs::remove(program / "stand_in.record");
        InstallStandIn(program, orders);
        Process process =
            Launch(ToUtf8(program / "PRAY.exe"), arguments, WindowStyle::MinimizedNoActivate);
        const ProcessExit exit = ReleaseAndAwait(program, process);
        EXPECT_EQ(exit.Succeeded(), succeeded) << orders;
        EXPECT_EQ(exit.code, code < 0 ? exit.code : code) << orders;
        const auto runs = StandInRuns(program);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].arguments, arguments);
        EXPECT_EQ(runs[0].working_folder, ToUtf8(fs::current_path()));
    }
}

}  // namespace
}  // namespace ormel::test

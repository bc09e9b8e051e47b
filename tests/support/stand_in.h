// Puts the stand-in builder (stand_in_builder.cpp) into a program folder as
// PRAY.exe and reads back what it recorded there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/launch.h"

namespace ormel::test {

// One start of the stand-in, as it recorded it.
struct StandInRun {
    std::vector<std::string> arguments;
    std::string working_folder;
    std::vector<std::string> files_beside;  // sorted
    std::optional<std::string> ended;       // its exit code, or "crash"
    std::optional<int> window_style;        // Windows only: wShowWindow, -1 if none
};

// Copies the stand-in into the folder as PRAY.exe (or another name), with its
// orders (the lines of stand_in.control; none gives a builder that ends at
// once with 0).
void InstallStandIn(const std::filesystem::path& program_folder, std::string_view orders = {},
                    const std::string& name = "PRAY.exe");

// Every start recorded in the folder, oldest first.
std::vector<StandInRun> StandInRuns(const std::filesystem::path& program_folder);

// Waits until the process has ended, so that no builder outlives its folder.
ProcessExit Await(Process& process);

}  // namespace ormel::test

#include "support/stand_in.h"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/program_location.h"
#include "support/temp_folder.h"

namespace ormel::test {

namespace fs = std::filesystem;

void InstallStandIn(const fs::path& program_folder, std::string_view orders,
                    const std::string& name) {
    // The stand-in is built beside the test program.
    const fs::path stand_in = FromUtf8(ProgramFolder()) / ORMEL_STAND_IN_BUILDER;
    fs::copy_file(stand_in, program_folder / FromUtf8(name), fs::copy_options::overwrite_existing);
    if (!orders.empty()) WriteBytes(program_folder / "stand_in.control", std::string(orders));
}

std::vector<StandInRun> StandInRuns(const fs::path& program_folder) {
    std::vector<StandInRun> runs;
    if (!fs::exists(program_folder / "stand_in.record")) return runs;
    std::istringstream lines(ReadBytes(program_folder / "stand_in.record"));
    for (std::string line; std::getline(lines, line);) {
        const std::string key = line.substr(0, line.find(' '));
        const std::string value = line.substr(std::min(line.size(), key.size() + 1));
        if (key == "start") runs.emplace_back();
        if (key == "arg") runs.back().arguments.push_back(value);
        if (key == "cwd") runs.back().working_folder = value;
        if (key == "beside") runs.back().files_beside.push_back(value);
        if (key == "ended") runs.back().ended = value;
        if (key == "show") runs.back().window_style = std::stoi(value);
    }
    for (StandInRun& run : runs) std::sort(run.files_beside.begin(), run.files_beside.end());
    return runs;
}

ProcessExit Await(Process& process) {
    for (;;) {
        if (auto exit = process.Poll()) return *exit;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace ormel::test

#include "support/stand_in.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/program_location.h"
#include "support/temp_folder.h"

namespace ormel::test {

namespace fs = std::filesystem;

void InstallStandIn(const fs::path& program_folder, std::string_view orders) {
    // The stand-in is built beside the test program.
    const fs::path stand_in = FromUtf8(ProgramFolder()) / ORMEL_STAND_IN_BUILDER;
    fs::copy_file(stand_in, program_folder / "PRAY.exe", fs::copy_options::overwrite_existing);
    if (!orders.empty()) WriteBytes(program_folder / "stand_in.control", std::string(orders));
}

std::vector<StandInRun> StandInRuns(const fs::path& program_folder) {
    std::vector<StandInRun> runs;
    const fs::path record = program_folder / "stand_in.record";
    if (!fs::exists(record)) return runs;
    std::istringstream lines(ReadBytes(record));
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "start") runs.emplace_back();
        if (runs.empty()) continue;
        StandInRun& run = runs.back();
        if (key == "arg") run.arguments.push_back(value);
        if (key == "commandline") run.command_line = value;
        if (key == "cwd") run.working_folder = value;
        if (key == "beside") run.files_beside.push_back(value);
        if (key == "ended") run.ended = value;
    }
    return runs;
}

void ReleaseStandIn(const fs::path& program_folder) {
    WriteBytes(program_folder / "stand_in.release", "");
}

ProcessExit AwaitExit(Process& process) {
    for (;;) {
        if (auto exit = process.Poll()) return *exit;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace ormel::test

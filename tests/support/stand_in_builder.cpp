// Stands in for PRAY.exe in the tests, which copy it into a program folder
// under that name. It appends to "stand_in.record" beside itself the lines
// "start", "arg <a>" for each argument, "cwd <its working folder>", "beside
// <f>" for each file there but the stand_in.* files, on Windows "show <n>"
// for the window style it was started with (wShowWindow, -1 when none was
// given), and, when about to end, "ended <exit code, or crash>". The build
// fixes its command line, so it takes its orders from the lines of
// "stand_in.control" beside it:
//   make_read_only <path>  mark a file (relative to its folder, "/"
//                          separated) read-only, as the author's tools may
//   ignore_stop            ignore SIGTERM, as a hung builder may (POSIX only)
//   sleep_ms <n>           sleep n milliseconds
//   say <text>             write the text as a line to its error stream
//   blank_lines <n>        write n line ends to its error stream at once
//   exit <n>               end with status n (0 without this line)
//   crash                  end as a crashed program does
//   package                write the package "{name}.agent" into its working
//                          folder, {name} from its document "{name}.txt"
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/program_location.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/text_encoding.h"
#endif

namespace {

namespace fs = std::filesystem;
using ormel::test::FromUtf8;
using ormel::test::ToUtf8;

std::vector<std::string> Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    // argv is in the ANSI code page; Windows' own splitting of the wide
    // command line is exact, and shows how the launcher quoted it.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) arguments.push_back(ormel::WideToUtf8(wide[i]));
    LocalFree(wide);
#else
    arguments.assign(argv + 1, argv + argc);
#endif
    return arguments;
}

void Record(const fs::path& folder, const std::string& text) {
    std::ofstream(folder / "stand_in.record", std::ios::binary | std::ios::app) << text;
}

// The window style the starter asked for; Windows only.
std::string WindowStyleLine() {
#ifdef _WIN32
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const bool given = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
    return "show " + std::to_string(given ? startup.wShowWindow : -1) + "\n";
#else
    return "";
#endif
}

[[noreturn]] void Crash() {
#ifdef _WIN32
    // What Windows reports for a program that hit an access violation.
    TerminateProcess(GetCurrentProcess(), 0xC0000005);
#endif
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = FromUtf8(ormel::ProgramFolder());
    const std::vector<std::string> arguments = Arguments(argc, argv);
    std::string start = "start\n";
    for (const std::string& argument : arguments) start += "arg " + argument + "\n";
    start += "cwd " + ToUtf8(fs::current_path()) + "\n";
    for (const auto& entry : fs::directory_iterator(fs::current_path())) {
        const std::string name = ToUtf8(entry.path().filename());
        if (entry.is_regular_file() && !name.starts_with("stand_in.")) {
            start += "beside " + name + "\n";
        }
    }
    start += WindowStyleLine();
    Record(folder, start);

    int exit_code = 0;
    bool crash = false;
    std::ifstream orders(folder / "stand_in.control");
    for (std::string line; std::getline(orders, line);) {
        const std::string order = line.substr(0, line.find(' '));
        const std::string value = line.substr(std::min(line.size(), order.size() + 1));
        if (order == "make_read_only") {
            fs::permissions(folder / FromUtf8(value),
                            fs::perms::owner_read | fs::perms::group_read);
        }
#ifndef _WIN32
        if (order == "ignore_stop") std::signal(SIGTERM, SIG_IGN);
#endif
        if (order == "sleep_ms") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
        }
        if (order == "say") std::fprintf(stderr, "%s\n", value.c_str());
        if (order == "blank_lines")
            std::fputs(std::string(std::stoul(value), '\n').c_str(), stderr);
        if (order == "exit") exit_code = std::stoi(value);
        if (order == "crash") crash = true;
        if (order == "package" && !arguments.empty()) {
            const fs::path package = FromUtf8(arguments[0]).stem().concat(".agent");
            std::ofstream(package, std::ios::binary) << "package\n";
        }
    }

    Record(folder, crash ? "ended crash\n" : "ended " + std::to_string(exit_code) + "\n");
    if (crash) Crash();
    return exit_code;
}

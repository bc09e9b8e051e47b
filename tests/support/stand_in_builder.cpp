// Stands in for PRAY.exe in the tests. A test copies it into a program
// folder under the name PRAY.exe. When started it appends to
// "stand_in.record" beside itself what it was given and what it found:
//
//   start
//   arg <each argument after the program's own>
//   commandline <the raw command line>      (Windows only)
//   cwd <its working folder>
//   beside <each file beside it>            (sorted; its own stand_in.* files left out)
//   ended <exit code>                       (once it is about to end)
//
// What it then does comes from the lines of "stand_in.control" beside it,
// if that file exists (the command line is fixed by the build, so the test
// has no other way to tell it):
//
//   wait_for_release        wait until "stand_in.release" appears beside it
//   sleep_ms <n>            sleep n milliseconds
//   make_read_only <path>   mark a file (relative to its folder, "/"
//                           separated) read-only, as if the author's tools did
//   exit <n>                end with status n (default 0)
//   crash                   end as a crashed program does
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/program_location.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/text_encoding.h"
#endif

namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
    const auto text = path.u8string();
    return {text.begin(), text.end()};
}

fs::path FromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

struct Orders {
    bool wait_for_release = false;
    int sleep_ms = 0;
    std::vector<std::string> make_read_only;
    int exit_code = 0;
    bool crash = false;
};

Orders ReadOrders(const fs::path& file) {
    Orders orders;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string order;
        words >> order;
        std::string rest;
        std::getline(words >> std::ws, rest);
        if (order == "wait_for_release") orders.wait_for_release = true;
        if (order == "sleep_ms") orders.sleep_ms = std::stoi(rest);
        if (order == "make_read_only") orders.make_read_only.push_back(rest);
        if (order == "exit") orders.exit_code = std::stoi(rest);
        if (order == "crash") orders.crash = true;
    }
    return orders;
}

std::vector<std::string> Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    // argv is in the ANSI code page; the wide command line is exact.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) arguments.push_back(ormel::WideToUtf8(wide[i]));
    LocalFree(wide);
#else
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
#endif
    return arguments;
}

std::vector<std::string> FilesBeside(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = Utf8(entry.path().filename());
        if (entry.is_regular_file() && !name.starts_with("stand_in.")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Append(const fs::path& record, const std::string& text) {
    std::ofstream out(record, std::ios::binary | std::ios::app);
    out << text;
}

void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

[[noreturn]] void Crash() {
#ifdef _WIN32
    // What Windows reports for a program that hit an access violation.
    TerminateProcess(GetCurrentProcess(), 0xC0000005);
#endif
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = FromUtf8(ormel::ProgramFolder());
    const fs::path record = folder / "stand_in.record";

    std::ostringstream start;
    start << "start\n";
    for (const std::string& argument : Arguments(argc, argv)) start << "arg " << argument << "\n";
#ifdef _WIN32
    start << "commandline " << ormel::WideToUtf8(GetCommandLineW()) << "\n";
#endif
    start << "cwd " << Utf8(fs::current_path()) << "\n";
    for (const std::string& name : FilesBeside(folder)) start << "beside " << name << "\n";
    Append(record, start.str());

    const Orders orders = ReadOrders(folder / "stand_in.control");
    for (const std::string& path : orders.make_read_only) MakeReadOnly(folder / FromUtf8(path));
    while (orders.wait_for_release && !fs::exists(folder / "stand_in.release")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(orders.sleep_ms));

    Append(record,
           orders.crash ? "ended crash\n" : "ended " + std::to_string(orders.exit_code) + "\n");
    if (orders.crash) Crash();
    return orders.exit_code;
}

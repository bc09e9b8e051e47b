// Start-up of Windows programs, each from just before the process is created
// to the moment its first top-level window is visible, measured from outside
// the program, so that ormel.exe is timed as it ships. Under Wine:
//   wine startup_wine_bench.exe RUNS PROGRAM.exe REFERENCE.exe
// starts the two in turn RUNS times each, closes each window as soon as it is
// up, and prints the medians and the program's ratio to the reference.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct WindowSearch {
    DWORD process_id;
    HWND found = nullptr;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM search_address) {
    auto* search = reinterpret_cast<WindowSearch*>(search_address);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Milliseconds from the process's creation to its first visible window.
double TimeToWindow(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string command_line = "\"" + program + "\"";
    const Clock::time_point started = Clock::now();
    if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        throw std::runtime_error("cannot start " + program);
    }
    WindowSearch search{process.dwProcessId};
    while (!search.found) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            throw std::runtime_error(program + " ended without showing a window");
        }
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double elapsed =
        std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: startup_wine_bench RUNS PROGRAM.exe REFERENCE.exe\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    try {
        // One start of each first, so that neither pays for a cold cache.
        TimeToWindow(argv[2]);
        TimeToWindow(argv[3]);
        std::vector<double> program;
        std::vector<double> reference;
        for (int run = 0; run < runs; ++run) {
            program.push_back(TimeToWindow(argv[2]));
            reference.push_back(TimeToWindow(argv[3]));
        }
        const double program_ms = Median(program);
        const double reference_ms = Median(reference);
        std::printf("start-up to window shown, median of %d runs each\n", runs);
        std::printf("  %-40s %8.1f ms\n", argv[2], program_ms);
        std::printf("  %-40s %8.1f ms\n", argv[3], reference_ms);
        std::printf("  ratio %.2f\n", program_ms / reference_ms);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

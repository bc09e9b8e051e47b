// Start-up of Windows programs, each from just before the process is created
// to the moment its first top-level window is visible, measured from outside
// the program, so that ormel.exe is timed as it ships. Under Wine:
//   wine startup_wine_bench.exe RUNS PROGRAM.exe REFERENCE.exe
// starts the two in turn RUNS times each, closes each window as soon as it is
// up, and prints the medians and the program's ratio to the reference: of the
// wall time, and of the processor time the program's own process used until
// then, which a busy machine disturbs less.
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

struct StartUp {
    double wall_ms;
    double cpu_ms;
};

double Milliseconds(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return double(ticks.QuadPart) / 10000.0;  // 100 ns ticks
}

double ProcessorMilliseconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
    return Milliseconds(kernel) + Milliseconds(user);
}

// From the process's creation to its first visible window.
StartUp TimeToWindow(const std::string& program) {
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
    const StartUp start_up{
        std::chrono::duration<double, std::milli>(Clock::now() - started).count(),
        ProcessorMilliseconds(process.hProcess)};
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return start_up;
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
        std::vector<double> wall[2];
        std::vector<double> cpu[2];
        for (int run = 0; run < runs; ++run) {
            for (int which = 0; which < 2; ++which) {
                const StartUp start_up = TimeToWindow(argv[2 + which]);
                wall[which].push_back(start_up.wall_ms);
                cpu[which].push_back(start_up.cpu_ms);
            }
        }
        std::printf("start-up to window shown, median of %d runs each: wall, processor\n", runs);
        for (int which = 0; which < 2; ++which) {
            std::printf("  %-40s %8.1f ms %8.1f ms\n", argv[2 + which], Median(wall[which]),
                        Median(cpu[which]));
        }
        std::printf("  ratio %.2f (wall), %.2f (processor)\n", Median(wall[0]) / Median(wall[1]),
                    Median(cpu[0]) / Median(cpu[1]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

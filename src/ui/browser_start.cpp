#include "ui/browser_start.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace ormel::ui {

#ifdef _WIN32

bool StartInNormalWindow(const std::wstring& application, const std::wstring& commandLine) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring writableCommandLine = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // Not waited for: the handles are let go at once.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

#else

bool StartInNormalWindow(const std::wstring&, const std::wstring&) {
    return false;
}

#endif

}  // namespace ormel::ui

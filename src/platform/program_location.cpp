#include "platform/program_location.h"

#include <stdexcept>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text_encoding.h"
#else
#include <filesystem>
#endif

namespace ormel {

#ifdef _WIN32

std::string ProgramExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw std::runtime_error("the program's own path is unknown");
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}

#else

std::string ProgramExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) throw std::runtime_error("the program's own path is unknown: " + error.message());
    return path.string();
}

#endif

std::string ProgramFolder() {
    const std::string executable = ProgramExecutablePath();
#ifdef _WIN32
    const auto end = executable.find_last_of("\\/");
#else
    const auto end = executable.rfind('/');
#endif
    if (end == std::string::npos) throw std::runtime_error("no folder in \"" + executable + "\"");
    // The root folder keeps its separator; nothing else does.
    return executable.substr(0, end == 0 ? 1 : end);
}

}  // namespace ormel

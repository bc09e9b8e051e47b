#include "platform/system_reason.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cwctype>

#include "platform/text_encoding.h"
#endif

namespace ormel {

#ifdef _WIN32

std::string SystemReason(int code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) return "Windows error " + std::to_string(static_cast<DWORD>(code));
    std::wstring reason(text, length);
    LocalFree(text);
    // The texts end in a line break.
    while (!reason.empty() && std::iswspace(reason.back())) reason.pop_back();
    return WideToUtf8(reason);
}

#else

std::string SystemReason(int code) {
    return std::strerror(code);
}

#endif

std::string LastSystemReason() {
#ifdef _WIN32
    if (const DWORD code = GetLastError(); code != 0) return SystemReason(static_cast<int>(code));
#endif
    return errno == 0 ? std::string() : std::strerror(errno);
}

}  // namespace ormel

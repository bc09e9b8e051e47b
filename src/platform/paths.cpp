#include "platform/paths.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text_encoding.h"
#endif

namespace ormel {

std::string JoinPath(std::initializer_list<std::string_view> pieces) {
    std::string path;
    bool first = true;
    for (std::string_view piece : pieces) {
        if (!first) path += kPathSeparator;
        path += piece;
        first = false;
    }
    return path;
}

#ifdef _WIN32

bool SamePathSpelling(std::string_view a, std::string_view b) {
    auto as_windows_reads = [](std::string_view path) {
        std::wstring wide = Utf8ToWide(path);
        while (!wide.empty() && (wide.back() == L'.' || wide.back() == L' ')) wide.pop_back();
        return wide;
    };
    const std::wstring first = as_windows_reads(a);
    const std::wstring second = as_windows_reads(b);
    return CompareStringOrdinal(first.data(), static_cast<int>(first.size()), second.data(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

#else

bool SamePathSpelling(std::string_view a, std::string_view b) {
    return a == b;
}

#endif

}  // namespace ormel

#include "platform/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include "platform/text_encoding.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ormel {
namespace {

// One argument as Windows' command-line splitting reads it back: quoted,
// with the backslashes before a quote (and before the closing quote)
// doubled and inner quotes escaped.
void AppendQuoted(std::string& line, const std::string& argument) {
    line += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            line.append(2 * backslashes + 1, '\\');
        } else {
            line.append(backslashes, '\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
}

}  // namespace

std::string WindowsCommandLine(const std::string& program,
                               const std::vector<std::string>& arguments) {
    // The program's own part is read up to the closing quote, with no
    // escapes; a path cannot hold a quote anyway.
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments) {
        line += ' ';
        AppendQuoted(line, argument);
    }
    return line;
}

#ifdef _WIN32

std::optional<std::string> FindOnPath(const std::string& name) {
    const wchar_t* path = _wgetenv(L"PATH");
    if (!path) return std::nullopt;
    std::wstring folders(path);
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        const std::size_t end = std::min(folders.find(L';', begin), folders.size());
        const std::filesystem::path folder(folders.substr(begin, end - begin));
        begin = end + 1;
        if (folder.empty()) continue;
        for (const auto& candidate :
             {folder / Utf8ToWide(name), folder / Utf8ToWide(name + ".exe")}) {
            std::error_code error;
            if (std::filesystem::is_regular_file(candidate, error)) {
                return WideToUtf8(candidate.wstring());
            }
        }
    }
    return std::nullopt;
}

#else

std::optional<std::string> FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    const std::string folders(path);
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', begin), folders.size());
        const std::string folder = folders.substr(begin, end - begin);
        begin = end + 1;
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

#endif

}  // namespace ormel

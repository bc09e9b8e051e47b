#include "pray/file_checks.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

// A letter in lower case, for comparing names as a case-insensitive file
// system does: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
char32_t Lower(char32_t c) {
    const bool capital_32_before =
        (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F);
    if (capital_32_before) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c == 0x178) return 0xFF;
    // Latin Extended-A: each capital followed by its small letter.
    const bool even_capital = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool odd_capital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((even_capital && c % 2 == 0) || (odd_capital && c % 2 == 1)) return c + 1;
    return c;
}

// A name's characters, decoded from UTF-8 and in lower case. A stray byte
// stands for itself.
std::u32string Folded(const fs::path& name) {
    const std::u8string text = name.u8string();
    std::u32string folded;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned lead = text[i];
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6) | (text[i + k] & 0x3Fu);
        }
        folded += Lower(c);
        i += length;
    }
    return folded;
}

std::string KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::block:
        case fs::file_type::character:
            return "a device";
        case fs::file_type::fifo:
            return "a FIFO (named pipe)";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a regular file";
    }
}

}  // namespace

std::string LastSystemReason() {
#ifdef _WIN32
    if (const DWORD code = GetLastError(); code != 0) {
        return std::system_category().message(static_cast<int>(code));
    }
#endif
    return errno == 0 ? std::string() : std::generic_category().message(errno);
}

Error FileError(const std::string& what, const std::string& shown, const std::string& reason) {
    return Error(what + " " + shown + (reason.empty() ? "" : ": " + reason));
}

std::ifstream OpenToRead(const fs::path& path, const std::string& what, const std::string& shown) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        throw FileError(what, shown, std::make_error_code(std::errc::is_a_directory).message());
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(what, shown);
    return in;
}

void RequireReplaceable(const fs::path& path, const std::string& what, const std::string& shown) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        throw FileError(what, shown,
                        "it is " + KindOf(status.type()) + "; only a regular file is replaced");
    }
}

std::vector<fs::path> MatchesIgnoringCase(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::u32string wanted = Folded(path.filename());
    std::vector<fs::path> matches;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (Folded(entry->path().filename()) == wanted) {
            matches.push_back(path.parent_path() / entry->path().filename());
        }
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

}  // namespace ormel::pray

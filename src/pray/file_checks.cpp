#include "pray/file_checks.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "pray/file_names.h"

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

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
    std::vector<fs::path> matches;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (CompareNamesAsWindows(entry->path().filename(), path.filename()) == 0) {
            matches.push_back(path.parent_path() / entry->path().filename());
        }
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

}  // namespace ormel::pray

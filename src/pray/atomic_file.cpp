#include "pray/atomic_file.h"

#include <algorithm>
#include <random>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

#ifdef _WIN32
int OpenNewFile(const fs::path& path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int WriteSome(int file, const char* bytes, std::size_t count) {
    return _write(file, bytes, static_cast<unsigned>(count));
}
int CloseFile(int file) {
    return _close(file);
}
#else
int OpenNewFile(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
ssize_t WriteSome(int file, const char* bytes, std::size_t count) {
    return ::write(file, bytes, count);
}
int CloseFile(int file) {
    return ::close(file);
}
#endif

}  // namespace

fs::path TemporaryPathBeside(const fs::path& target) {
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
        fs::path candidate = target;
        // Built by appending: GCC 12 at -O3 warns falsely on "." + string.
        std::string name(".");
        name.append(PathText(target.filename())).append(".partial-");
        name.append(std::to_string(random()));
        candidate.replace_filename(PathFromNameBytes(name, true));
        std::error_code error;
        if (!fs::exists(candidate, error) || attempt > 100) return candidate;
    }
}

void MoveIntoPlace(const fs::path& temp, const fs::path& target) {
    std::error_code error;
    fs::rename(temp, target, error);
    if (error) throw FileError("cannot replace", PathText(target), error.message());
}

TemporaryFile::~TemporaryFile() {
    std::error_code ignored;  // the failure that got here is the one to report
    if (!path_.empty()) fs::remove(path_, ignored);
}

StagingFolder::StagingFolder(const fs::path& beside) : path_(TemporaryPathBeside(beside)) {
    std::error_code error;
    if (!fs::create_directory(path_, error)) {
        throw Error("cannot create a folder in " + PathText(path_.parent_path()) + ": " +
                    error.message());
    }
}

StagingFolder::~StagingFolder() {
    std::error_code ignored;  // the failure that got here is the one to report
    fs::remove_all(path_, ignored);
}

NewFile::NewFile(const fs::path& path, std::string shown)
    : file_(OpenNewFile(path)), shown_(std::move(shown)) {
    if (file_ < 0) Fail("cannot create");
}

NewFile::~NewFile() {
    if (file_ >= 0) CloseFile(file_);
}

void NewFile::Write(std::string_view bytes) {
    constexpr std::size_t kPiece = 1 << 20;
    while (!bytes.empty()) {
        const auto written = WriteSome(file_, bytes.data(), std::min(bytes.size(), kPiece));
        if (written <= 0) Fail("cannot write");
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void NewFile::Close() {
    if (CloseFile(std::exchange(file_, -1)) != 0) Fail("cannot write");
}

void NewFile::Fail(const std::string& what) const {
    throw FileError(what + " the file", shown_);
}

}  // namespace ormel::pray

#include "platform/file_system.h"

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "platform/system_reason.h"
#include "platform/text_encoding.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h turns these names into macros; ours are the members below.
#undef CopyFile
#undef DeleteFile
#else
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace ormel {
namespace {

// The reason given for a folder, device or the like where a file is wanted.
constexpr std::string_view kNotARegularFile = "not a regular file";

[[noreturn]] void ThrowNoFile(const std::string& path, std::string_view what,
                              const std::string& reason) {
    throw FileSystemError("no file \"" + path + "\"" + std::string(what) + ": " + reason);
}

#ifdef _WIN32

[[noreturn]] void ThrowLastError(const std::string& action, const std::string& path) {
    throw FileSystemError(action + " \"" + path + "\" failed: " + SystemReason(GetLastError()));
}

std::intptr_t OpenForWriting(const std::string& path, DWORD disposition) {
    HANDLE handle = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) ThrowLastError("opening", path);
    return reinterpret_cast<std::intptr_t>(handle);
}

bool WriteAll(std::intptr_t handle, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(handle), data, static_cast<DWORD>(left), &written,
                       nullptr)) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool CloseHandleOf(std::intptr_t handle) {
    return CloseHandle(reinterpret_cast<HANDLE>(handle));
}

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str());
}

bool IsReadOnly(DWORD attributes) {
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool IsFolder(DWORD attributes) {
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The volume and index that tell one file from another, or none when the
// path names nothing that can be opened.
struct FileIdentity {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    HANDLE handle = CreateFileW(Utf8ToWide(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::optional<std::string> WhyNoFile(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == kNoAttributes) return SystemReason(GetLastError());
    if (IsFolder(attributes)) return std::string(kNotARegularFile);
    return std::nullopt;
}

#else

[[noreturn]] void ThrowLastError(const std::string& action, const std::string& path) {
    throw FileSystemError(action + " \"" + path + "\" failed: " + SystemReason(errno));
}

std::intptr_t OpenForWriting(const std::string& path, int flags) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) ThrowLastError("opening", path);
    return fd;
}

bool WriteAll(std::intptr_t handle, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(static_cast<int>(handle), data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CloseHandleOf(std::intptr_t handle) {
    return ::close(static_cast<int>(handle)) == 0;
}

// Closes the descriptor when it goes; Release hands over a close whose
// failure matters.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

int OpenRetrying(const std::string& path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool InSupplementaryGroups(gid_t group) {
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.end();
}

// Read-only as the file's own permission bits say for whoever runs the
// program. The bits are read here because unlinking ignores them and root
// may write anything; for root a file is read-only when nobody may write it.
bool IsReadOnly(const struct stat& info) {
    const uid_t user = ::geteuid();
    if (user == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (user == info.st_uid) return (info.st_mode & S_IWUSR) == 0;
    if (::getegid() == info.st_gid || InSupplementaryGroups(info.st_gid)) {
        return (info.st_mode & S_IWGRP) == 0;
    }
    return (info.st_mode & S_IWOTH) == 0;
}

bool IsSameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Moves the rest of in into out inside the kernel: copy_file_range where the
// file systems allow it, sendfile otherwise. Both leave the data out of our
// memory, and copy_file_range may even share blocks on file systems that can.
bool CopyContents(int in, int out) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    bool kernel_range = true;
    for (;;) {
        ssize_t copied = -1;
        if (kernel_range) {
            copied = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (copied < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernel_range = false;
                continue;
            }
        } else {
            copied = ::sendfile(out, in, nullptr, kChunk);
        }
        if (copied < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (copied == 0) return true;
    }
}

std::optional<std::string> WhyNoFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return SystemReason(errno);
    if (!S_ISREG(info.st_mode)) return std::string(kNotARegularFile);
    return std::nullopt;
}

#endif

}  // namespace

TextStream::TextStream(std::intptr_t handle, std::string path)
    : handle_(handle), path_(std::move(path)) {}

TextStream::TextStream(TextStream&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), path_(std::move(other.path_)) {}

TextStream& TextStream::operator=(TextStream&& other) noexcept {
    if (this != &other) {
        CloseQuietly();
        handle_ = std::exchange(other.handle_, kClosed);
        path_ = std::move(other.path_);
    }
    return *this;
}

TextStream::~TextStream() {
    CloseQuietly();
}

void TextStream::CloseQuietly() noexcept {
    if (IsOpen()) CloseHandleOf(std::exchange(handle_, kClosed));
}

void TextStream::WriteLine(std::string_view text) {
    if (!IsOpen()) throw FileSystemError("writing to the closed stream of \"" + path_ + "\"");
    std::string bytes = ToAnsiCodePage(text);
    bytes += "\r\n";
    if (!WriteAll(handle_, bytes)) ThrowLastError("writing", path_);
}

void TextStream::Close() {
    if (!IsOpen()) throw FileSystemError("closing the closed stream of \"" + path_ + "\"");
    if (!CloseHandleOf(std::exchange(handle_, kClosed))) ThrowLastError("closing", path_);
}

TextStream File::OpenAsTextStream(IOMode mode, TextFormat format) const {
    if (mode != IOMode::ForWriting || format != TextFormat::Ascii) {
        throw std::invalid_argument("only 8-bit text streams for writing are supported");
    }
#ifdef _WIN32
    return TextStream(OpenForWriting(path_, TRUNCATE_EXISTING), path_);
#else
    return TextStream(OpenForWriting(path_, O_TRUNC), path_);
#endif
}

TextStream FileSystemObject::CreateTextFile(const std::string& path, bool overwrite, bool unicode) {
    if (unicode) throw std::invalid_argument("only 8-bit text files are supported");
#ifdef _WIN32
    return TextStream(OpenForWriting(path, overwrite ? CREATE_ALWAYS : CREATE_NEW), path);
#else
    return TextStream(OpenForWriting(path, O_CREAT | (overwrite ? O_TRUNC : O_EXCL)), path);
#endif
}

File FileSystemObject::GetFile(const std::string& path) {
    if (const auto why = WhyNoFile(path)) ThrowNoFile(path, "", *why);
    return File(path);
}

#ifdef _WIN32

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination,
                                bool overwrite) {
    if (const auto why = WhyNoFile(source)) ThrowNoFile(source, " to copy", *why);
    const DWORD to = AttributesOf(destination);
    if (to != kNoAttributes) {
        if (!overwrite) throw FileSystemError("\"" + destination + "\" exists already");
        if (IsFolder(to)) throw FileSystemError("\"" + destination + "\" is a folder");
        if (IsReadOnly(to)) throw FileSystemError("\"" + destination + "\" is read-only");
        if (IsSameExistingFile(source, destination)) {
            throw FileSystemError("\"" + source + "\" cannot be copied onto itself");
        }
    }
    if (!CopyFileW(Utf8ToWide(source).c_str(), Utf8ToWide(destination).c_str(), !overwrite)) {
        ThrowLastError("copying to", destination);
    }
    // CopyFileW copies the attributes too; a staged copy must stay writable
    // so that it can be deleted and replaced.
    const DWORD copied = AttributesOf(destination);
    if (IsReadOnly(copied) &&
        !SetFileAttributesW(Utf8ToWide(destination).c_str(), copied & ~FILE_ATTRIBUTE_READONLY)) {
        ThrowLastError("making writable", destination);
    }
}

void FileSystemObject::DeleteFile(const std::string& path, bool force) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == kNoAttributes) ThrowLastError("deleting", path);
    if (IsFolder(attributes)) throw FileSystemError("\"" + path + "\" is a folder");
    if (IsReadOnly(attributes)) {
        if (!force) throw FileSystemError("\"" + path + "\" is read-only");
        if (!SetFileAttributesW(Utf8ToWide(path).c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
            ThrowLastError("making writable", path);
        }
    }
    if (!DeleteFileW(Utf8ToWide(path).c_str())) ThrowLastError("deleting", path);
}

bool IsSameExistingFile(const std::string& a, const std::string& b) {
    const auto first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

#else

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination,
                                bool overwrite) {
    // O_NONBLOCK keeps a FIFO from hanging the open; it is refused below.
    Descriptor in(OpenRetrying(source, O_RDONLY | O_NONBLOCK));
    if (in.get() < 0) ThrowNoFile(source, " to copy", SystemReason(errno));
    struct stat from {};
    if (::fstat(in.get(), &from) != 0) ThrowLastError("examining", source);
    if (!S_ISREG(from.st_mode)) ThrowNoFile(source, " to copy", std::string(kNotARegularFile));

    // The destination is opened before anything is cut, so that the checks
    // look at the very file that will be written. A new copy gets the
    // source's permissions with the owner's write bit added.
    const mode_t mode = (from.st_mode & 0777) | S_IWUSR;
    const int create = O_CREAT | (overwrite ? 0 : O_EXCL);
    Descriptor out(OpenRetrying(destination, O_WRONLY | O_NONBLOCK | create, mode));
    if (out.get() < 0) ThrowLastError("opening", destination);
    struct stat to {};
    if (::fstat(out.get(), &to) != 0) ThrowLastError("examining", destination);
    if (IsSameFile(from, to)) {
        throw FileSystemError("\"" + source + "\" cannot be copied onto itself");
    }
    if (!S_ISREG(to.st_mode)) throw FileSystemError("\"" + destination + "\" is not a file");
    if (IsReadOnly(to)) throw FileSystemError("\"" + destination + "\" is read-only");

    // Only a file with contents is cut: on ext4 cutting even an empty file
    // makes the close start writing the new data out at once.
    if (to.st_size != 0 && ::ftruncate(out.get(), 0) != 0) {
        ThrowLastError("emptying", destination);
    }
    if (!CopyContents(in.get(), out.get())) ThrowLastError("copying to", destination);
    if (::close(out.Release()) != 0) ThrowLastError("closing", destination);
}

void FileSystemObject::DeleteFile(const std::string& path, bool force) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) ThrowLastError("finding", path);
    if (S_ISDIR(info.st_mode)) throw FileSystemError("\"" + path + "\" is a folder");
    if (!force && S_ISREG(info.st_mode) && IsReadOnly(info)) {
        throw FileSystemError("\"" + path + "\" is read-only");
    }
    if (::unlink(path.c_str()) != 0) ThrowLastError("deleting", path);
}

bool IsSameExistingFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           IsSameFile(first, second);
}

#endif

bool FileExists(const std::string& path) {
    return !WhyNoFile(path);
}

bool IsWindowsProgram(const std::string& path) {
#ifdef _WIN32
    std::ifstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    char start[2] = {};
    return file.read(start, 2) && start[0] == 'M' && start[1] == 'Z';
}

}  // namespace ormel

#include "platform/file_system.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/text_encoding.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ormel {
namespace {

#ifdef _WIN32

[[noreturn]] void ThrowLastError(const std::string& action, const std::string& path) {
    throw FileSystemError(action + " \"" + path + "\" failed (Windows error " +
                          std::to_string(GetLastError()) + ")");
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

bool IsRegularFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else

[[noreturn]] void ThrowLastError(const std::string& action, const std::string& path) {
    throw FileSystemError(action + " \"" + path + "\" failed: " + std::strerror(errno));
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

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
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
    if (!IsRegularFile(path)) throw FileSystemError("no file \"" + path + "\"");
    return File(path);
}

}  // namespace ormel

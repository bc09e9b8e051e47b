#include "platform/launch.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "platform/file_system.h"
#include "platform/system_reason.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text_encoding.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

#ifdef __linux__
#include <sys/syscall.h>
#endif

extern char** environ;
#endif

namespace ormel {
namespace {

// Only the end of a program's output is of use to the caller.
constexpr std::int64_t kCapturedTail = 64 * 1024;

#ifndef _WIN32

// Children whose handle went while they still ran; they are reaped at the
// next launch so that none is left as a zombie for long.
std::mutex abandoned_mutex;
std::vector<pid_t> abandoned;

void ReapAbandoned() {
    std::lock_guard lock(abandoned_mutex);
    std::erase_if(abandoned, [](pid_t pid) {
        int status = 0;
        const pid_t got = ::waitpid(pid, &status, WNOHANG);
        return got == pid || (got < 0 && errno == ECHILD);
    });
}

void Abandon(pid_t pid) {
    std::lock_guard lock(abandoned_mutex);
    abandoned.push_back(pid);
}

pid_t WaitRetrying(pid_t pid, int& status, int options) {
    pid_t got = 0;
    do {
        got = ::waitpid(pid, &status, options);
    } while (got < 0 && errno == EINTR);
    return got;
}

ProcessExit ExitOf(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    return {false, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

// Spawn attributes that give the child a clean signal state: nothing
// blocked, every signal at its default action (an ignored SIGPIPE would
// otherwise be inherited).
class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

// The file actions of one start: the working folder, and the output streams
// sent into the capture file.
class SpawnFileActions {
  public:
    SpawnFileActions(const LaunchOptions& options, int output) {
        posix_spawn_file_actions_init(&actions_);
        if (output >= 0) {
            posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions_, output, STDERR_FILENO);
        }
        if (!options.working_folder.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions_, options.working_folder.c_str());
        }
    }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

// A temporary file that no other program can find: it is unlinked at once
// and lives as long as its descriptor. The child gets it only through the
// file actions.
int OpenCaptureFile() {
    std::string path = (std::filesystem::temp_directory_path() / "ormel-output-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        throw LaunchError("no file for the program's output in \"" + path +
                          "\": " + SystemReason(errno));
    }
    ::unlink(path.c_str());
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

#endif

}  // namespace

Process::Process(Process&& other) noexcept
    : id_(std::exchange(other.id_, kNone)),
      output_(std::exchange(other.output_, kNone)),
      end_descriptor_(std::exchange(other.end_descriptor_, kNone)),
      exit_(other.exit_) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        ReleaseOutput();
        id_ = std::exchange(other.id_, kNone);
        output_ = std::exchange(other.output_, kNone);
        end_descriptor_ = std::exchange(other.end_descriptor_, kNone);
        exit_ = other.exit_;
    }
    return *this;
}

Process::~Process() {
    Release();
    ReleaseOutput();
}

std::optional<int> Process::EndDescriptor() const {
    if (end_descriptor_ == kNone) return std::nullopt;
    return static_cast<int>(end_descriptor_);
}

#ifdef _WIN32

namespace {

// A temporary file, deleted by Windows once the last handle to it (the
// child's included) is closed. The child inherits the handle.
HANDLE OpenCaptureFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"orm", 0, name) == 0) {
        throw LaunchError("no file for the program's output: " + SystemReason(GetLastError()));
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE file = CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw LaunchError("no file for the program's output: " + SystemReason(GetLastError()));
    }
    return file;
}

}  // namespace

Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               const LaunchOptions& options) {
    const std::wstring application = Utf8ToWide(program);
    std::wstring command_line = Utf8ToWide(WindowsCommandLine(program, arguments));
    const std::wstring working_folder = Utf8ToWide(options.working_folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (options.style == WindowStyle::MinimizedNoActivate) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINNOACTIVE;
    }
    const HANDLE output = options.capture_output ? OpenCaptureFile() : INVALID_HANDLE_VALUE;
    if (options.capture_output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr,
                        options.capture_output ? TRUE : FALSE, 0, nullptr,
                        working_folder.empty() ? nullptr : working_folder.c_str(), &startup,
                        &started)) {
        const DWORD error = GetLastError();
        if (options.capture_output) CloseHandle(output);
        throw LaunchError("starting \"" + program + "\" failed: " + SystemReason(error));
    }
    CloseHandle(started.hThread);
    return Process(
        reinterpret_cast<std::intptr_t>(started.hProcess),
        options.capture_output ? reinterpret_cast<std::intptr_t>(output) : Process::kNone);
}

std::string Process::CapturedOutput() const {
    if (output_ == kNone) return {};
    const HANDLE file = reinterpret_cast<HANDLE>(output_);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return {};
    const std::int64_t start = std::max<std::int64_t>(0, size.QuadPart - kCapturedTail);
    std::string text(static_cast<std::size_t>(size.QuadPart - start), '\0');
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(start & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(start >> 32);
    DWORD got = 0;
    if (!text.empty() && !ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, &at)) {
        return {};
    }
    text.resize(got);
    return text;
}

std::optional<ProcessExit> Process::Poll() {
    if (exit_ || id_ == kNone) return exit_;
    const HANDLE handle = reinterpret_cast<HANDLE>(id_);
    const DWORD state = WaitForSingleObject(handle, 0);
    if (state == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    if (state == WAIT_OBJECT_0 && GetExitCodeProcess(handle, &code)) {
        // A crash ends the process with its exception code, an NTSTATUS of
        // error severity (0xC0000005 for an access violation): no exit that
        // the program chose.
        const bool crashed = (code & 0xC0000000) == 0xC0000000;
        exit_ = ProcessExit{!crashed, static_cast<int>(code)};
    } else {
        exit_ = ProcessExit{false, 0};
    }
    Release();
    return exit_;
}

// Windows ends the program at once; the wait lets it finish ending, so
// that no write of its own comes after. The grace is for programs that
// could tidy up, which TerminateProcess gives none.
ProcessExit Process::Stop(std::chrono::milliseconds) {
    if (const auto exit = Poll()) return *exit;
    const HANDLE handle = reinterpret_cast<HANDLE>(id_);
    if (TerminateProcess(handle, 1)) WaitForSingleObject(handle, INFINITE);
    return Poll().value_or(ProcessExit{});
}

void Process::Release() noexcept {
    if (id_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(id_, kNone)));
}

void Process::ReleaseOutput() noexcept {
    if (output_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(output_, kNone)));
}

#else

namespace {

// A pidfd: readable once the process has ended, whoever reaps it; -1 where
// the kernel has none.
int OpenEndDescriptor(pid_t pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

}  // namespace

// POSIX programs have no start-up window style.
Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               const LaunchOptions& options) {
    ReapAbandoned();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const SpawnAttributes attributes;
    const int output = options.capture_output ? OpenCaptureFile() : -1;
    const SpawnFileActions actions(options, output);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) {
        if (output >= 0) ::close(output);
        throw LaunchError("starting \"" + program + "\" failed: " + SystemReason(error));
    }
    const int end = OpenEndDescriptor(pid);
    return Process(pid, output >= 0 ? output : Process::kNone, end >= 0 ? end : Process::kNone);
}

std::string Process::CapturedOutput() const {
    if (output_ == kNone) return {};
    const int fd = static_cast<int>(output_);
    struct stat status {};
    if (::fstat(fd, &status) != 0) return {};
    const std::int64_t start = std::max<std::int64_t>(0, status.st_size - kCapturedTail);
    std::string text(static_cast<std::size_t>(status.st_size - start), '\0');
    const ssize_t got = ::pread(fd, text.data(), text.size(), start);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::optional<ProcessExit> Process::Poll() {
    if (exit_ || id_ == kNone) return exit_;
    int status = 0;
    const pid_t got = WaitRetrying(static_cast<pid_t>(id_), status, WNOHANG);
    if (got == 0) return std::nullopt;
    // ECHILD: somebody else reaped it, so how it ended is unknown.
    exit_ = got > 0 ? ExitOf(status) : ProcessExit{false, 0};
    id_ = kNone;
    return exit_;
}

ProcessExit Process::Stop(std::chrono::milliseconds grace) {
    if (const auto exit = Poll()) return *exit;
    const auto pid = static_cast<pid_t>(id_);
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto exit = Poll()) return *exit;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // SIGKILL cannot be caught, so the blocking wait ends.
    ::kill(pid, SIGKILL);
    int status = 0;
    const pid_t got = WaitRetrying(pid, status, 0);
    exit_ = got > 0 ? ExitOf(status) : ProcessExit{false, 0};
    id_ = kNone;
    return *exit_;
}

void Process::ReleaseOutput() noexcept {
    if (output_ != kNone) ::close(static_cast<int>(std::exchange(output_, kNone)));
}

void Process::Release() noexcept {
    if (end_descriptor_ != kNone) ::close(static_cast<int>(std::exchange(end_descriptor_, kNone)));
    if (id_ == kNone) return;
    const auto pid = static_cast<pid_t>(std::exchange(id_, kNone));
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) Abandon(pid);
}

#endif

}  // namespace ormel

#include "platform/launch.h"

#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text_encoding.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

extern char** environ;
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

#endif

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

Process::Process(Process&& other) noexcept
    : id_(std::exchange(other.id_, kNone)), exit_(other.exit_) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        id_ = std::exchange(other.id_, kNone);
        exit_ = other.exit_;
    }
    return *this;
}

Process::~Process() {
    Release();
}

#ifdef _WIN32

Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               WindowStyle style) {
    const std::wstring application = Utf8ToWide(program);
    std::wstring command_line = Utf8ToWide(WindowsCommandLine(program, arguments));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (style == WindowStyle::MinimizedNoActivate) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINNOACTIVE;
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started)) {
        throw LaunchError("starting \"" + program + "\" failed (Windows error " +
                          std::to_string(GetLastError()) + ")");
    }
    CloseHandle(started.hThread);
    return Process(reinterpret_cast<std::intptr_t>(started.hProcess));
}

std::optional<ProcessExit> Process::Poll() {
    if (exit_ || id_ == kNone) return exit_;
    const HANDLE handle = reinterpret_cast<HANDLE>(id_);
    const DWORD state = WaitForSingleObject(handle, 0);
    if (state == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    if (state == WAIT_OBJECT_0 && GetExitCodeProcess(handle, &code)) {
        // A crash ends the process with its exception code, never 0.
        exit_ = ProcessExit{true, static_cast<int>(code)};
    } else {
        exit_ = ProcessExit{false, 0};
    }
    Release();
    return exit_;
}

void Process::Release() noexcept {
    if (id_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(id_, kNone)));
}

#else

Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               WindowStyle /*style: POSIX programs have no start-up window style*/) {
    ReapAbandoned();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const SpawnAttributes attributes;
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.c_str(), nullptr, attributes.get(), argv.data(), environ);
    if (error != 0) {
        throw LaunchError("starting \"" + program + "\" failed: " + std::strerror(error));
    }
    return Process(pid);
}

std::optional<ProcessExit> Process::Poll() {
    if (exit_ || id_ == kNone) return exit_;
    int status = 0;
    pid_t got = 0;
    do {
        got = ::waitpid(static_cast<pid_t>(id_), &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) return std::nullopt;
    // ECHILD: somebody else reaped it, so how it ended is unknown.
    exit_ = got > 0 ? ExitOf(status) : ProcessExit{false, 0};
    id_ = kNone;
    return exit_;
}

void Process::Release() noexcept {
    if (id_ == kNone) return;
    const auto pid = static_cast<pid_t>(std::exchange(id_, kNone));
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) Abandon(pid);
}

#endif

}  // namespace ormel

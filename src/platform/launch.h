// Starts another program without waiting for it, and lets the caller look,
// without blocking, whether it has ended and how.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ormel {

class LaunchError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How the started program's window first appears (Windows only).
enum class WindowStyle { Normal, MinimizedNoActivate };

struct ProcessExit {
    // False when the process was killed by a signal or its end could not be
    // learnt; the code then means nothing.
    bool exited_normally = false;
    int code = 0;
    bool Succeeded() const { return exited_normally && code == 0; }
};

// A started program. Dropping the handle leaves the program running.
class Process {
  public:
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Returns at once: none while the program runs, its exit once it has
    // ended (the same exit on every later call).
    std::optional<ProcessExit> Poll();

  private:
    friend Process Launch(const std::string&, const std::vector<std::string>&, WindowStyle);
    explicit Process(std::intptr_t id) : id_(id) {}
    void Release() noexcept;

    static constexpr std::intptr_t kNone = -1;
    std::intptr_t id_;  // the process id on POSIX, the process handle on Windows
    std::optional<ProcessExit> exit_;
};

// Starts program with the arguments, in the current folder and with the
// current environment; no shell sees them. On Windows the program's path is
// also the application name, and the command line is the program's path and
// each argument in double quotes (WindowsCommandLine). Throws LaunchError
// when the program cannot be started, for instance when it does not exist.
Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               WindowStyle style);

// The command line Launch gives Windows: every part in double quotes, so
// that a path with blanks ("C:\Program Files\...") stays one part, with
// backslashes and quotes escaped where Windows' own splitting needs it.
std::string WindowsCommandLine(const std::string& program,
                               const std::vector<std::string>& arguments);

}  // namespace ormel

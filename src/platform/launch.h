// Starts another program without waiting for it, and lets the caller look,
// without blocking, whether it has ended and how.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/command_line.h"

namespace ormel {

class LaunchError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How the started program's window first appears (Windows only).
enum class WindowStyle { Normal, MinimizedNoActivate };

struct LaunchOptions {
    WindowStyle style = WindowStyle::Normal;
    // The folder the program starts in; empty: the caller's current folder.
    std::string working_folder;
    // Collects what the program writes to its standard output and error
    // streams, for CapturedOutput(); otherwise it inherits the caller's.
    bool capture_output = false;
};

struct ProcessExit {
    // False when the process crashed (killed by a signal; on Windows ended
    // with an exception code) or its end could not be learnt.
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

    // Ends a program that still runs and waits until it has ended, so that
    // it writes nothing more: on Windows TerminateProcess; elsewhere SIGTERM,
    // then SIGKILL when it is still running after the grace. Returns its exit,
    // as Poll does; a program that has ended already keeps its own.
    ProcessExit Stop(std::chrono::milliseconds grace);

    // What the program has written so far to its output streams, when they
    // were captured; empty otherwise.
    std::string CapturedOutput() const;

    // A descriptor that becomes readable once the program has ended, so that
    // an event loop can sleep until then instead of polling; none where the
    // system offers none (Windows, Linux before 5.3, other systems).
    std::optional<int> EndDescriptor() const;

  private:
    friend Process Launch(const std::string&, const std::vector<std::string>&,
                          const LaunchOptions&);
    Process(std::intptr_t id, std::intptr_t output, std::intptr_t end_descriptor = kNone)
        : id_(id), output_(output), end_descriptor_(end_descriptor) {}
    void Release() noexcept;
    void ReleaseOutput() noexcept;

    static constexpr std::intptr_t kNone = -1;
    std::intptr_t id_;  // the process id on POSIX, the process handle on Windows
    // The file that receives the captured output: a descriptor on POSIX, a
    // handle on Windows; it is deleted when it is released.
    std::intptr_t output_;
    std::intptr_t end_descriptor_;  // POSIX only
    std::optional<ProcessExit> exit_;
};

// Starts program with the arguments and the current environment, in the
// options' working folder; no shell sees them. On Windows the program's path is
// also the application name, and the command line is the program's path and
// each argument in double quotes (WindowsCommandLine). Throws LaunchError
// when the program cannot be started, for instance when it does not exist.
Process Launch(const std::string& program, const std::vector<std::string>& arguments,
               const LaunchOptions& options);
inline Process Launch(const std::string& program, const std::vector<std::string>& arguments,
                      WindowStyle style) {
    LaunchOptions options;
    options.style = style;
    return Launch(program, arguments, options);
}

}  // namespace ormel

// One whole build: the source document written into the agent folder, the
// agent's files staged beside PRAY.exe, the builder (the author's PRAY.exe,
// or the bundled ormel-pray where there is none) started and waited for
// behind the progress window, the report, and the clean-up of what was
// staged.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "agent/agent_description.h"
#include "platform/file_system.h"
#include "platform/launch.h"

namespace ormel {

inline constexpr std::string_view kBuildFailedMessage =
    "ERROR: An error has occured. The agent was not created. Make sure the file doesn't already "
    "exist.";

// "{name}.agent was created successfully."
std::string BuildSucceededMessage(std::string_view name);

// What the build needs of the windows. The main window implements it; the
// tests answer it without real windows. Every member is called on the one
// user-interface thread. The host and the handles must outlive the RunBuild
// call, even when the main window is closed during the wait: the build then
// still reports and cleans up before the program may end.
class BuildHost {
  public:
    virtual ~BuildHost() = default;

    // The agent description, read live from the form.
    virtual const AgentDescription& Description() const = 0;

    // The main window's completion flag: the build sets it false before it
    // shows the progress window, which sets it true when its run is over.
    virtual bool LoadFinished() const = 0;
    virtual void SetLoadFinished(bool finished) = 0;

    // Creates and shows a fresh progress window, modeless; returns at once.
    // Its completion must arrive through the events that PumpEvents runs.
    virtual void ShowProgressWindow() = 0;

    // Runs the window events that are pending. When none is pending, blocks
    // until one arrives or maxWait has passed, whichever comes first; it
    // never spins the processor while it waits. Events may call RunBuild
    // again; such a call starts nothing.
    virtual void PumpEvents(std::chrono::milliseconds maxWait) = 0;

    // Lets PumpEvents also return when the descriptor becomes readable (the
    // builder's end); none stops watching. Returns whether the host watches
    // it: a host that cannot leaves the wait to look at the builder every
    // wake-up.
    virtual bool WakeWhenReadable(std::optional<int> descriptor) {
        (void)descriptor;
        return false;
    }

    // Shows the text in a modal message box captioned "Vantrel", with no
    // icon and a single OK button, and returns once the user pressed OK.
    // A non-empty detail (a line or a few) stands beneath the text; the
    // failure message gives its cause there.
    virtual void ShowMessage(const std::string& text, const std::string& detail) = 0;

    // Sets the interval of tmrCompileIt in milliseconds; 0 disarms it.
    virtual void SetCompileTimerInterval(int milliseconds) = 0;

    // Shows (true) or takes back (false) the wait cursor while the build
    // waits for the builder. Calls come in pairs, true first; it must not
    // throw, since the cursor is also taken back on the way to the failure
    // message.
    virtual void SetBusy(bool busy) = 0;
};

// The handles of the latest build. The main window owns them; each build
// replaces them (AgentFSO first, the document's AgentFileName and AgentFile
// once the document exists, Builder once it is started) and they are kept
// until the next build. A builder still running at its deadline is stopped
// and reaped before the failure message shows.
class BuildHandles {
  public:
    std::optional<FileSystemObject> AgentFSO;
    std::optional<File> AgentFileName;
    std::optional<TextStream> AgentFile;
    std::optional<Process> Builder;

    // True while RunBuild runs with these handles.
    bool BuildRunning() const { return running_; }

  private:
    friend class BuildRunningMark;
    bool running_ = false;
};

// Where the build works and how long it waits. ForThisProgram describes the
// running program; tests put a temporary folder in its place.
struct BuildEnvironment {
    // {program}: the folder that holds PRAY.exe and the agent folders.
    std::string program_folder;
    // The program's own executable, which no staged copy may replace.
    std::string program_executable;
    // The package builder that ships with the program, started in place of
    // PRAY.exe when the program folder holds none.
    std::string bundled_builder;
    // How long after its start the builder may run before the build stops
    // it and fails.
    std::chrono::milliseconds builder_timeout{std::chrono::seconds(60)};
    // How long a builder stopped at the deadline may take to end when asked
    // to (SIGTERM) before it is killed.
    std::chrono::milliseconds stop_grace{std::chrono::seconds(2)};
    // The longest the wait blocks in PumpEvents before it looks at the
    // builder again, when no event tells it of the builder's end.
    std::chrono::milliseconds wake_up{50};

    // Works the folders out from the running program's location; throws
    // when the operating system cannot tell it.
    static BuildEnvironment ForThisProgram();
};

// The file name of the bundled builder: "ormel-pray", with ".exe" on
// Windows.
std::string BundledBuilderName();

enum class BuildOutcome {
    Succeeded,   // the success message was shown and the clean-up done
    Failed,      // the failure message was shown
    NotStarted,  // a build was already running; nothing was done
};

// Runs one build, from the document to the clean-up, and leaves the compile
// timer disarmed. The environment is asked for first, inside the build, so
// that a program folder that cannot be worked out is one more cause of the
// failure message. Every failure shows the one failure message with its
// cause beneath; the files made until then stay, and a document stream left
// open is closed. A call made while a build with the same handles runs (from
// an event pumped during its wait) returns NotStarted and touches nothing,
// not even the timer.
BuildOutcome RunBuild(BuildHost& host, BuildHandles& handles,
                      const std::function<BuildEnvironment()>& environment);
inline BuildOutcome RunBuild(BuildHost& host, BuildHandles& handles,
                             const BuildEnvironment& environment) {
    return RunBuild(host, handles, [&environment] { return environment; });
}

}  // namespace ormel

#include "agent/build_run.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "agent/pray_source_writer.h"
#include "platform/paths.h"
#include "platform/program_location.h"
#include "platform/text_encoding.h"

namespace ormel {

// Marks the handles as in use for as long as one build runs.
class BuildRunningMark {
  public:
    explicit BuildRunningMark(BuildHandles& handles) : handles_(handles) {
        handles_.running_ = true;
    }
    ~BuildRunningMark() { handles_.running_ = false; }
    BuildRunningMark(const BuildRunningMark&) = delete;
    BuildRunningMark& operator=(const BuildRunningMark&) = delete;

  private:
    BuildHandles& handles_;
};

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::string_view kBuilderName = "PRAY.exe";
constexpr std::string_view kDocumentExt = ".txt";
constexpr std::string_view kPackageExt = ".agent";
// How many of the builder's last output lines the failure message shows.
constexpr std::size_t kShownBuilderLines = 5;

// A cause of failure that the build finds itself, beside those of the file
// system, the writer and the launcher.
class BuildRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct StagedCopy {
    std::string source;
    std::string destination;
};

// Every path of one build, worked out once from the values of the form.
struct BuildPlan {
    std::string name;
    std::string document;                // {program}\{name}\{name}.txt
    std::vector<StagedCopy> copies;      // used slots in order, the script, the document
    std::vector<std::string> deletions;  // each distinct staged copy once, and the document
    std::string builder;                 // {program}\PRAY.exe
    std::string package;                 // {program}\{name}.agent
};

// How the builder is started: the author's PRAY.exe, through wine where it
// is a Windows program on another system, or the bundled builder.
struct BuilderStart {
    std::string program;
    std::vector<std::string> arguments;
    bool bundled = false;
};

bool HoldsSeparator(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos;
}

bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

// A name that would lead out of the program folder or the agent folder is
// refused before anything is written.
void RefuseUnsafeName(std::string_view what, std::string_view name) {
    if (HoldsSeparator(name) || IsDotName(name)) {
        throw BuildRefused("the " + std::string(what) + " \"" + std::string(name) +
                           "\" would lead out of its folder");
    }
}

// Without a name the document would be "{program}\.txt", in the program
// folder instead of an agent folder.
void RefuseEmptyName(std::string_view name) {
    if (name.empty()) throw BuildRefused("the agent has no name");
}

// The document is written in the system's code page; a character that it
// cannot hold would reach the document as another one, and the builder would
// look for files that are not there. Such a value is refused before anything
// is written, naming its field and the character.
void RefuseCharacterOutsideCodePage(const std::string& what, std::string_view value) {
    if (const auto character = FirstCharacterOutsideCodePage(value)) {
        throw BuildRefused("the " + what + " holds \"" + *character +
                           "\", which the system's code page (" + std::to_string(AnsiCodePage()) +
                           ") cannot write");
    }
}

void RefuseValuesOutsideCodePage(const AgentDescription& description) {
    const std::pair<std::string, std::string> values[] = {
        {"agent name", description.Name()},
        {"script name", description.COS_File()},
        {"image name", description.Image() + description.Image_Ext()},
        {"animation", description.Animation()},
        {"bio-energy value", description.Bioenergy()},
        {"remove script", description.Remove_Script()},
        {"description", description.Description()},
        {"first image", description.First_Image()},
    };
    for (const auto& [what, value] : values) RefuseCharacterOutsideCodePage(what, value);
    for (int n = 1; n <= kSlotCount; ++n) {
        const FileSlot& slot = description.Files(n);
        if (!slot.Used()) continue;
        RefuseCharacterOutsideCodePage("file name in file row " + std::to_string(n),
                                       slot.File() + slot.File_Ext());
    }
}

// The first image is written bare, as a number: the builder takes a decimal
// whole number, with an optional minus, in the 32-bit signed range.
void RefuseFirstImageNotNumber(const std::string& first_image) {
    if (first_image.empty()) return;
    const std::string_view digits = std::string_view(first_image).substr(first_image[0] == '-');
    const bool number =
        !digits.empty() && digits.size() <= 10 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    const long long value = number ? std::stoll(first_image) : 0;
    if (!number || value < INT32_MIN || value > INT32_MAX)
        throw BuildRefused("the first image \"" + first_image + "\" is not a whole number from " +
                           std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX));
}

void AddDeletion(std::vector<std::string>& deletions, std::string path) {
    const bool listed = std::any_of(deletions.begin(), deletions.end(), [&](const std::string& p) {
        return SamePathSpelling(p, path);
    });
    if (!listed) deletions.push_back(std::move(path));
}

BuildPlan PlanBuild(const AgentDescription& description, const std::string& program) {
    BuildPlan plan;
    plan.name = description.Name();
    RefuseEmptyName(plan.name);
    RefuseUnsafeName("agent name", plan.name);
    RefuseValuesOutsideCodePage(description);
    RefuseFirstImageNotNumber(description.First_Image());
    const std::string agent_folder = JoinPath({program, plan.name});
    const std::string document_name = plan.name + std::string(kDocumentExt);
    plan.document = JoinPath({agent_folder, document_name});
    plan.builder = JoinPath({program, kBuilderName});
    plan.package = JoinPath({program, plan.name + std::string(kPackageExt)});

    for (int n = 1; n <= kSlotCount; ++n) {
        const FileSlot& slot = description.Files(n);
        if (!slot.Used()) continue;
        const std::string file_name = slot.File() + slot.File_Ext();
        RefuseUnsafeName("file name", file_name);
        plan.copies.push_back(
            {JoinPath({agent_folder, file_name}), JoinPath({program, file_name})});
    }
    const std::string script_name = description.COS_File() + std::string(kCosExt);
    RefuseUnsafeName("script name", script_name);
    const std::string script_copy = JoinPath({program, script_name});
    const std::string document_copy = JoinPath({program, document_name});
    plan.copies.push_back({JoinPath({agent_folder, script_name}), script_copy});
    plan.copies.push_back({plan.document, document_copy});

    // The clean-up order: the slots' copies, the document, the script's copy,
    // the document's copy. A copy that two of them share is deleted once.
    for (std::size_t i = 0; i + 2 < plan.copies.size(); ++i) {
        AddDeletion(plan.deletions, plan.copies[i].destination);
    }
    AddDeletion(plan.deletions, plan.document);
    AddDeletion(plan.deletions, script_copy);
    AddDeletion(plan.deletions, document_copy);
    return plan;
}

// The builders, the program itself and the package are never overwritten by
// a staged copy (which the clean-up would then delete), whatever spelling or
// link leads to them.
void RefuseProtectedDestination(const std::string& destination, const BuildPlan& plan,
                                const BuildEnvironment& environment) {
    for (const std::string& kept : {plan.builder, environment.program_executable,
                                    environment.bundled_builder, plan.package}) {
        if (SamePathSpelling(destination, kept) || IsSameExistingFile(destination, kept)) {
            throw BuildRefused("a staged copy would replace \"" + kept + "\"");
        }
    }
}

// A wait that an event ends (the progress window's last tick; the builder's
// end where the host watches for it) needs no wake-up of its own: PumpEvents
// returns once it has run that event. It still looks up at this interval.
constexpr milliseconds kEventWaitWakeUp{1000};

void WaitForProgressWindow(BuildHost& host) {
    while (!host.LoadFinished()) host.PumpEvents(kEventWaitWakeUp);
}

// Shows the wait cursor for as long as it lives.
class BusyCursor {
  public:
    explicit BusyCursor(BuildHost& host) : host_(host) { host_.SetBusy(true); }
    ~BusyCursor() { host_.SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    BuildHost& host_;
};

// Has the host wake the wait when the builder ends, for as long as it lives.
class EndWatch {
  public:
    EndWatch(BuildHost& host, const Process& builder)
        : host_(host), watched_(host.WakeWhenReadable(builder.EndDescriptor())) {}
    ~EndWatch() {
        if (watched_) host_.WakeWhenReadable(std::nullopt);
    }
    EndWatch(const EndWatch&) = delete;
    EndWatch& operator=(const EndWatch&) = delete;

    bool Watched() const { return watched_; }

  private:
    BuildHost& host_;
    bool watched_;
};

// The author's PRAY.exe where the program folder holds one, else the
// bundled builder. Outside Windows a PRAY.exe that is a Windows program runs
// through wine.
BuilderStart ChooseBuilder(const BuildPlan& plan, const BuildEnvironment& environment) {
    if (!FileExists(plan.builder)) {
        if (!FileExists(environment.bundled_builder)) {
            throw BuildRefused("there is no builder: neither \"" + plan.builder + "\" nor \"" +
                               environment.bundled_builder + "\" exists");
        }
        return {environment.bundled_builder, {plan.document}, true};
    }
#ifndef _WIN32
    if (IsWindowsProgram(plan.builder)) {
        const std::optional<std::string> wine = FindOnPath("wine");
        if (!wine) {
            throw BuildRefused("\"" + plan.builder +
                               "\" is a Windows program, and wine, which would run it here, is "
                               "not installed");
        }
        return {*wine, {plan.builder, plan.document}};
    }
#endif
    return {plan.builder, {plan.document}};
}

// The last few lines that the builder wrote, blank lines left out.
std::string LastLines(const std::string& output, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < output.size()) {
        std::size_t end = output.find('\n', begin);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(std::move(line));
        begin = end + 1;
    }
    std::string last;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        if (!last.empty()) last += '\n';
        last += lines[i];
    }
    return last;
}

// Why a builder that ended did not succeed: its own last lines where it
// wrote any, else how it ended.
std::string BuilderFailure(const Process& builder, const ProcessExit& exit) {
    const std::string said = LastLines(builder.CapturedOutput(), kShownBuilderLines);
    if (!said.empty()) return said;
    if (!exit.exited_normally) return "the builder crashed";
    return "the builder ended with status " + std::to_string(exit.code);
}

std::string Seconds(milliseconds duration) {
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    if (milliseconds(whole * 1000) == duration) return std::to_string(whole) + " s";
    return std::to_string(duration.count()) + " ms";
}

// Keeps the windows running until the builder has ended; success only when
// it ended with status 0 before the deadline.
void WaitForBuilder(BuildHost& host, Process& builder, const BuildEnvironment& environment,
                    Clock::time_point started) {
    const BusyCursor busy(host);
    const EndWatch end(host, builder);
    const milliseconds longest = end.Watched() ? kEventWaitWakeUp : environment.wake_up;
    const Clock::time_point deadline = started + environment.builder_timeout;
    for (;;) {
        if (const auto exit = builder.Poll()) {
            if (!exit->Succeeded()) throw BuildRefused(BuilderFailure(builder, *exit));
            return;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            // Stopped before the report, so that it cannot write its package
            // later, over that of a newer build.
            builder.Stop(environment.stop_grace);
            throw BuildRefused("the builder was still running after " +
                               Seconds(environment.builder_timeout));
        }
        host.PumpEvents(std::min(longest, std::chrono::ceil<milliseconds>(deadline - now)));
    }
}

// The bundled builder is ours, so its success is checked where it must
// show: the package in the program folder.
void RequirePackage(const BuildPlan& plan) {
    if (!FileExists(plan.package)) {
        throw BuildRefused("the builder ended without making \"" + plan.package + "\"");
    }
}

// The build from its file-system object to the clean-up; any failure throws.
void RunSteps(BuildHost& host, BuildHandles& handles, const BuildEnvironment& environment) {
    FileSystemObject& fso = handles.AgentFSO.emplace();
    // The form's values are read once, here. No event runs before the wait,
    // so the writer sees the same values; staging, the builder's command
    // line, the report and the clean-up keep them whatever the author edits
    // during the wait.
    const BuildPlan plan = PlanBuild(host.Description(), environment.program_folder);

    // Creating empties an existing document; the stream it returns is
    // dropped at once, which closes the file.
    fso.CreateTextFile(plan.document, true, false);
    handles.AgentFileName = fso.GetFile(plan.document);
    handles.AgentFile =
        handles.AgentFileName->OpenAsTextStream(IOMode::ForWriting, TextFormat::Ascii);
    WritePraySource(host.Description(), *handles.AgentFile);

    for (const StagedCopy& copy : plan.copies) {
        RefuseProtectedDestination(copy.destination, plan, environment);
        fso.CopyFile(copy.source, copy.destination, true);
    }

    // The builder starts in the program folder, so that the package it
    // writes beside itself lands there whatever folder the program was
    // started from.
    const BuilderStart builder = ChooseBuilder(plan, environment);
    const auto started = Clock::now();
    handles.Builder = Launch(builder.program, builder.arguments,
                             {.style = WindowStyle::MinimizedNoActivate,
                              .working_folder = environment.program_folder,
                              .capture_output = true});
    host.SetLoadFinished(false);
    host.ShowProgressWindow();
    WaitForProgressWindow(host);
    WaitForBuilder(host, *handles.Builder, environment, started);
    if (builder.bundled) RequirePackage(plan);

    host.ShowMessage(BuildSucceededMessage(plan.name), {});
    for (const std::string& path : plan.deletions) fso.DeleteFile(path, false);
}

// A writer that failed leaves the document's stream open; the failure path
// releases it so that no handle outlives the build. The partial document
// stays.
void CloseDocumentStream(BuildHandles& handles) {
    if (!handles.AgentFile || !handles.AgentFile->IsOpen()) return;
    try {
        handles.AgentFile->Close();
    } catch (const FileSystemError&) {
        // The handle is released even so, and the failure message follows.
    }
}

}  // namespace

std::string BuildSucceededMessage(std::string_view name) {
    return std::string(name) + ".agent was created successfully.";
}

std::string BundledBuilderName() {
#ifdef _WIN32
    return "ormel-pray.exe";
#else
    return "ormel-pray";
#endif
}

BuildEnvironment BuildEnvironment::ForThisProgram() {
    BuildEnvironment environment;
    environment.program_folder = ProgramFolder();
    environment.program_executable = ProgramExecutablePath();
    environment.bundled_builder = JoinPath({environment.program_folder, BundledBuilderName()});
    return environment;
}

BuildOutcome RunBuild(BuildHost& host, BuildHandles& handles,
                      const std::function<BuildEnvironment()>& environment) {
    if (handles.BuildRunning()) return BuildOutcome::NotStarted;
    const BuildRunningMark running(handles);
    BuildOutcome outcome = BuildOutcome::Succeeded;
    try {
        RunSteps(host, handles, environment());
    } catch (const std::exception& failure) {
        // The one failure path, whatever failed: nothing is resumed, retried
        // or deleted.
        CloseDocumentStream(handles);
        host.ShowMessage(std::string(kBuildFailedMessage), failure.what());
        outcome = BuildOutcome::Failed;
    }
    host.SetCompileTimerInterval(0);
    return outcome;
}

}  // namespace ormel

#include "agent/build_run.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "agent/pray_source_writer.h"
#include "platform/paths.h"
#include "platform/program_location.h"

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
};

bool HoldsSeparator(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos;
}

bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

// A name that would lead out of the program folder or the agent folder is
// refused before anything is written. An empty name is allowed: it only
// leaves an empty path component.
void RefuseUnsafeName(std::string_view what, std::string_view name) {
    if (HoldsSeparator(name) || IsDotName(name)) {
        throw BuildRefused(std::string(what) + " \"" + std::string(name) +
                           "\" would lead out of its folder");
    }
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
    RefuseUnsafeName("agent name", plan.name);
    const std::string agent_folder = JoinPath({program, plan.name});
    const std::string document_name = plan.name + std::string(kDocumentExt);
    plan.document = JoinPath({agent_folder, document_name});
    plan.builder = JoinPath({program, kBuilderName});

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

// The builder and the program itself are never overwritten by a staged
// copy, whatever spelling or link leads to them.
void RefuseProtectedDestination(const std::string& destination, const BuildPlan& plan,
                                const BuildEnvironment& environment) {
    for (const std::string& kept : {plan.builder, environment.program_executable}) {
        if (SamePathSpelling(destination, kept) || IsSameExistingFile(destination, kept)) {
            throw BuildRefused("a staged copy would replace \"" + kept + "\"");
        }
    }
}

void WaitForProgressWindow(BuildHost& host, milliseconds wake_up) {
    while (!host.LoadFinished()) host.PumpEvents(wake_up);
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

// Keeps the windows running until the builder has ended; success only when
// it ended with status 0 before the deadline.
void WaitForBuilder(BuildHost& host, Process& builder, Clock::time_point deadline,
                    milliseconds wake_up) {
    const BusyCursor busy(host);
    for (;;) {
        if (const auto exit = builder.Poll()) {
            if (!exit->Succeeded()) throw BuildRefused("the builder failed");
            return;
        }
        const auto now = Clock::now();
        if (now >= deadline) throw BuildRefused("the builder is still running");
        host.PumpEvents(std::min(wake_up, std::chrono::ceil<milliseconds>(deadline - now)));
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

    const auto started = Clock::now();
    handles.Builder = Launch(plan.builder, {plan.document}, WindowStyle::MinimizedNoActivate);
    host.SetLoadFinished(false);
    host.ShowProgressWindow();
    WaitForProgressWindow(host, environment.wake_up);
    WaitForBuilder(host, *handles.Builder, started + environment.builder_timeout,
                   environment.wake_up);

    host.ShowMessage(BuildSucceededMessage(plan.name));
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

BuildEnvironment BuildEnvironment::ForThisProgram() {
    BuildEnvironment environment;
    environment.program_folder = ProgramFolder();
    environment.program_executable = ProgramExecutablePath();
    return environment;
}

BuildOutcome RunBuild(BuildHost& host, BuildHandles& handles, const BuildEnvironment& environment) {
    if (handles.BuildRunning()) return BuildOutcome::NotStarted;
    const BuildRunningMark running(handles);
    BuildOutcome outcome = BuildOutcome::Succeeded;
    try {
        RunSteps(host, handles, environment);
    } catch (const std::exception&) {
        // The one failure path, whatever failed: nothing is resumed, retried
        // or deleted.
        CloseDocumentStream(handles);
        host.ShowMessage(std::string(kBuildFailedMessage));
        outcome = BuildOutcome::Failed;
    }
    host.SetCompileTimerInterval(0);
    return outcome;
}

}  // namespace ormel

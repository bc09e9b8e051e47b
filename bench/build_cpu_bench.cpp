// Processor time of one whole build against its wall time. The build waits
// about a second behind the progress window and then for the builder (here
// a script that sleeps a second and a half); during the wait it must block,
// not spin. The host blocks in PumpEvents as an idle event loop does, and
// its progress window ticks every 100 ms in real time.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "agent/build_run.h"
#include "support/agent_record.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TimedWindow : public ormel::BuildHost {
  public:
    ormel::test::AgentRecord agent = ormel::test::Lantern();
    bool load_finished = false;
    bool progress_open = false;
    int ticks = 0;
    int pumps = 0;
    Clock::time_point next_tick;

    const ormel::AgentDescription& Description() const override { return agent; }
    bool LoadFinished() const override { return load_finished; }
    void SetLoadFinished(bool finished) override { load_finished = finished; }
    void ShowProgressWindow() override {
        progress_open = true;
        ticks = 0;
        next_tick = Clock::now() + milliseconds(100);
    }
    void PumpEvents(milliseconds max_wait) override {
        ++pumps;
        const auto give_up = Clock::now() + max_wait;
        if (!progress_open || give_up < next_tick) {
            std::this_thread::sleep_until(give_up);
            return;
        }
        std::this_thread::sleep_until(next_tick);
        next_tick += milliseconds(100);
        if (++ticks == 10) {
            load_finished = true;
            progress_open = false;
        }
    }
    void ShowMessage(const std::string& text, const std::string& detail) override {
        std::printf("  message: %s %s\n", text.c_str(), detail.c_str());
    }
    void SetCompileTimerInterval(int) override {}
    void SetBusy(bool) override {}
};

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

int main() {
    const fs::path program = fs::temp_directory_path() / "ormel-build-bench";
    fs::remove_all(program);
    fs::create_directories(program / "Lantern");
    for (const char* name : {"lantern.c16", "glow.wav", "lantern.cos"}) {
        Write(program / "Lantern" / name, std::string(64 * 1024, 'x'));
    }
    Write(program / "PRAY.exe", "#!/bin/sh\nsleep 1.5\n");
    fs::permissions(program / "PRAY.exe", fs::perms::owner_exec, fs::perm_options::add);

    TimedWindow window;
    ormel::BuildHandles handles;
    ormel::BuildEnvironment environment;
    environment.program_folder = program.string();
    environment.program_executable = (program / "ormel.exe").string();

    const double processor_before = ProcessorSeconds();
    const auto wall_before = Clock::now();
    const auto outcome = ormel::RunBuild(window, handles, environment);
    const double wall = std::chrono::duration<double>(Clock::now() - wall_before).count();
    const double processor = ProcessorSeconds() - processor_before;
    fs::remove_all(program);

    std::printf("one whole build (progress window 1 s, builder 1.5 s)\n");
    std::printf("  outcome: %s, %d pumps\n",
                outcome == ormel::BuildOutcome::Succeeded ? "succeeded" : "failed", window.pumps);
    std::printf("  wall %.3f s, processor %.4f s: %.2f %% (aim: under 5 %%)\n", wall, processor,
                100.0 * processor / wall);
    return outcome == ormel::BuildOutcome::Succeeded ? 0 : 1;
}

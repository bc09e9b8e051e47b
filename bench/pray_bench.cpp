// The package builder on large files: a document inlining four 64 MiB files
// (two of random bytes, two repetitive), built and unpacked by ormel-pray,
// each beside the system tool doing the same work on the same bytes in the
// same run: "gzip -6" for level 6, "cp" for level 0, "gunzip" for unpack.
// Every command runs as a child process; its wall time and peak memory
// (maxrss from wait4) are reported, the best of a few rounds.
//
//   pray_bench [folder]   (default: the system's temporary folder)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kFileSize = 64ull << 20;
constexpr int kRounds = 3;

struct Run {
    double seconds = 1e9;
    long peak_kib = 0;
};

// Two files of random bytes, two of text lines that repeat with a counter.
void WriteFiles(const fs::path& folder) {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::vector<char> block(1 << 20);
    for (int file = 0; file < 4; ++file) {
        std::ofstream out(folder / ("file" + std::to_string(file) + ".bin"), std::ios::binary);
        for (std::uint64_t written = 0; written < kFileSize; written += block.size()) {
            if (file < 2) {
                for (std::size_t i = 0; i < block.size(); i += 8) {
                    state ^= state << 13;
                    state ^= state >> 7;
                    state ^= state << 17;
                    std::copy_n(reinterpret_cast<const char*>(&state), 8, &block[i]);
                }
            } else {
                std::string text;
                for (std::uint64_t line = written / 64; text.size() < block.size(); ++line) {
                    text +=
                        "scrp 2 21 1000 " + std::to_string(line % 977) + " snde \"glow\" endm\n";
                }
                std::copy_n(text.data(), block.size(), block.data());
            }
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    std::ofstream document(folder / "Big.txt", std::ios::binary);
    document << "\"en-GB\"\r\n";
    for (int file = 0; file < 4; ++file) {
        document << "inline FILE \"file" << file << ".bin\" \"file" << file << ".bin\"\r\n";
    }
}

Run RunOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", command[0].c_str());
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

// The best of rounds; before (a shell command, untimed) removes the earlier
// round's output and lets the disk settle, so that no round pays for freeing
// or writing back another's.
Run Best(const std::vector<std::string>& command, const std::string& before, int rounds = kRounds) {
    Run best;
    for (int round = 0; round < rounds; ++round) {
        RunOnce({"sh", "-c", before + " && sync"});
        const Run run = RunOnce(command);
        best.seconds = std::min(best.seconds, run.seconds);
        best.peak_kib = std::max(best.peak_kib, run.peak_kib);
    }
    return best;
}

// aim: the ratio of wall times to stay within, or 0 for none.
void Report(const char* what, const Run& ours, const char* tool, const Run& theirs, double aim) {
    const std::string goal = aim > 0 ? "aim " + std::to_string(aim).substr(0, 3) + "x" : "no aim";
    std::printf("%-26s %7.2f s  %7.1f MiB peak | %-8s %7.2f s  %6.1f MiB | %.2fx (%s)\n", what,
                ours.seconds, ours.peak_kib / 1024.0, tool, theirs.seconds,
                theirs.peak_kib / 1024.0, ours.seconds / theirs.seconds, goal.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = base / ("pray-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string in = folder.string();
    const std::string builder = ORMEL_PRAY_EXECUTABLE;
    std::printf("Writing 4 x 64 MiB into %s ...\n", in.c_str());
    WriteFiles(folder);
    const std::string files =
        in + "/file0.bin " + in + "/file1.bin " + in + "/file2.bin " + in + "/file3.bin";
    RunOnce({"sh", "-c", "cat " + files + " > /dev/null"});  // all in the page cache

    const std::string package = in + "/Big.agent";
    const Run build6 =
        Best({builder, "--level", "6", "-o", package, in + "/Big.txt"}, "rm -f " + package);
    const Run gzip6 = Best({"sh", "-c", "gzip -6 -c " + files + " > " + in + "/all.gz"},
                           "rm -f " + in + "/all.gz");
    const Run unpack =
        Best({builder, "unpack", package, in + "/unpacked"}, "rm -rf " + in + "/unpacked");
    const Run gunzip = Best({"sh", "-c", "gunzip -c " + in + "/all.gz > " + in + "/all.out"},
                            "rm -f " + in + "/all.out");
    const Run build0 = Best({builder, "--level", "0", "-o", in + "/Big0.agent", in + "/Big.txt"},
                            "rm -f " + in + "/Big0.agent", 7);
    const Run cp = Best({"sh", "-c", "cp " + files + " " + in + "/copies/"},
                        "rm -rf " + in + "/copies && mkdir " + in + "/copies", 7);

    std::printf("package %.1f MiB at level 6, gzip %.1f MiB; largest file 64 MiB\n",
                fs::file_size(package) / 1048576.0, fs::file_size(in + "/all.gz") / 1048576.0);
    Report("build --level 6", build6, "gzip -6", gzip6, 1.1);
    Report("build --level 0", build0, "cp", cp, 1.2);
    Report("unpack (level 6 package)", unpack, "gunzip", gunzip, 0);
    std::printf("peak memory aim: below %.0f MiB (64 MiB + the largest file)\n", 128.0);
    fs::remove_all(folder);
    return 0;
}

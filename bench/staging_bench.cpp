// Staging throughput: FileSystemObject::CopyFile against the system's own
// "cp" on the same 256 MiB file, alternating, in one run.
//
//   staging_bench [folder]   (default: the system's temporary folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uintmax_t kFileSize = 256ull * 1024 * 1024;
constexpr int kRounds = 7;

void WriteTestFile(const fs::path& path) {
    std::vector<char> block(1 << 20);
    std::mt19937 random(42);
    for (char& c : block) c = static_cast<char>(random());
    std::ofstream out(path, std::ios::binary);
    for (std::uintmax_t written = 0; written < kFileSize; written += block.size()) {
        block[written % block.size()] ^= 1;  // no two blocks alike
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = base / "ormel-staging-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path source = folder / "source.bin";
    const fs::path ours = folder / "copy-ours.bin";
    const fs::path theirs = folder / "copy-cp.bin";
    WriteTestFile(source);

    ormel::FileSystemObject fso;
    const std::string cp = "cp " + Quoted(source) + " " + Quoted(theirs);
    auto copy_ours = [&] { fso.CopyFile(source.string(), ours.string(), true); };
    auto copy_theirs = [&] {
        if (std::system(cp.c_str()) != 0) throw std::runtime_error("cp failed");
    };

    // One untimed round brings the source into the page cache for both.
    copy_ours();
    copy_theirs();
    // Each copy starts from the same state: its old destination gone and
    // everything written so far on the disk, so that neither pays for the
    // other's freed blocks or dirty pages.
    auto timed = [](const fs::path& destination, const std::function<void()>& copy) {
        fs::remove(destination);
        ::sync();
        return Seconds(copy);
    };
    std::vector<double> ours_seconds;
    std::vector<double> theirs_seconds;
    for (int round = 0; round < kRounds; ++round) {
        // Alternate which goes first.
        if (round % 2 == 0) {
            ours_seconds.push_back(timed(ours, copy_ours));
            theirs_seconds.push_back(timed(theirs, copy_theirs));
        } else {
            theirs_seconds.push_back(timed(theirs, copy_theirs));
            ours_seconds.push_back(timed(ours, copy_ours));
        }
    }
    for (int round = 0; round < kRounds; ++round) {
        std::printf("  round %d: CopyFile %.3f s, cp %.3f s\n", round, ours_seconds[round],
                    theirs_seconds[round]);
    }
    const bool same_size = fs::file_size(ours) == kFileSize && fs::file_size(theirs) == kFileSize;
    fs::remove_all(folder);

    const double mib = static_cast<double>(kFileSize) / (1024.0 * 1024.0);
    const double ours_rate = mib / Median(ours_seconds);
    const double theirs_rate = mib / Median(theirs_seconds);
    std::printf("staging a 256 MiB file, median of %d rounds\n", kRounds);
    std::printf("  CopyFile: %8.1f MiB/s (%.3f s)\n", ours_rate, Median(ours_seconds));
    std::printf("  cp:       %8.1f MiB/s (%.3f s)\n", theirs_rate, Median(theirs_seconds));
    std::printf("  ratio CopyFile/cp: %.2f (aim: at least 0.9)\n", ours_rate / theirs_rate);
    if (!same_size) {
        std::printf("  a copy has the wrong size\n");
        return 1;
    }
    return 0;
}

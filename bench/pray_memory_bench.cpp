// The package builder's memory against a package that claims much: a tag
// block whose zlib stream (about 510 KB) inflates to 512 MiB of zeros.
// list and unpack run on it as child processes; each one's exit status and
// peak memory (maxrss from wait4) are reported. The aim: below 80 MiB, since
// a tag block is read into at most 64 MiB.
//
//   pray_memory_bench [folder]   (default: the system's temporary folder)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kClaimed = 512u << 20;

void PutU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(value >> shift);
}

// kClaimed zeros as one zlib stream at level 9, compressed piece by piece.
std::string CompressedZeros() {
    z_stream stream{};
    deflateInit(&stream, 9);
    std::vector<unsigned char> zeros(1 << 20, 0);
    std::vector<unsigned char> output(1 << 20);
    std::string compressed;
    for (std::uint32_t left = kClaimed;;) {
        stream.next_in = zeros.data();
        stream.avail_in = left > zeros.size() ? static_cast<uInt>(zeros.size()) : left;
        left -= stream.avail_in;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            deflate(&stream, flush);
            compressed.append(reinterpret_cast<const char*>(output.data()),
                              output.size() - stream.avail_out);
        } while (stream.avail_out == 0);
        if (flush == Z_FINISH) break;
    }
    deflateEnd(&stream);
    return compressed;
}

// "PRAY", then one AGNT block holding the compressed zeros.
void WritePackage(const fs::path& path) {
    const std::string payload = CompressedZeros();
    std::string header = "AGNT";
    std::string name = "Claims 512 MiB";
    name.resize(128, '\0');
    header += name;
    PutU32(header, static_cast<std::uint32_t>(payload.size()));
    PutU32(header, kClaimed);
    PutU32(header, 1);
    std::ofstream out(path, std::ios::binary);
    out << "PRAY" << header << payload;
}

struct Run {
    int status = -1;
    long peak_kib = 0;
};

// The command with its standard output and error thrown away.
Run RunOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = base / ("pray-memory-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path package = folder / "Claims.agent";
    WritePackage(package);
    std::printf("package of %.0f KB whose tag block claims %u bytes\n",
                static_cast<double>(fs::file_size(package)) / 1000.0, kClaimed);
    const std::string builder = ORMEL_PRAY_EXECUTABLE;
    const std::array<std::pair<const char*, Run>, 2> runs{{
        {"list", RunOnce({builder, "list", package.string()})},
        {"unpack", RunOnce({builder, "unpack", package.string(), (folder / "out").string()})},
    }};
    for (const auto& [what, run] : runs) {
        std::printf("%-7s exit %d, %7.1f MiB peak (aim: below 80 MiB)\n", what, run.status,
                    run.peak_kib / 1024.0);
    }
    fs::remove_all(folder);
    return 0;
}

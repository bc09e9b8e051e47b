// The sprite reader on files of several MB: 400 images of 120 x 100, once
// run-length compressed (.c16, runs of mixed lengths, transparent and
// coloured) and once plain (.s16). Measured: opening the file and reading
// one image near its end, in time and in peak heap (every allocation counted
// through operator new), beside the file's size. Opening reads the headers
// only and reading one image only its bytes, so the heap should be a small
// fraction of the file.
//
//   build/bench/bench/sprite_bench [folder]   (default: the temporary folder)
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "sprite/sprite_file.h"

namespace {

namespace fs = std::filesystem;

std::atomic<std::size_t> heap_now{0}, heap_peak{0};

constexpr int kImages = 400, kWidth = 120, kHeight = 100, kImageRead = 395;

void PutU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}
void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// A line of alternating transparent and coloured runs of 1 to 40 pixels.
std::string RunLengthLine(std::uint32_t& seed) {
    std::string line;
    bool coloured = false;
    for (int x = 0; x < kWidth; coloured = !coloured) {
        seed = seed * 1664525u + 1013904223u;
        const int run = std::min<int>(1 + static_cast<int>(seed >> 24) % 40, kWidth - x);
        PutU16(line, static_cast<unsigned>(run) << 1 | (coloured ? 1 : 0));
        for (int k = 0; coloured && k < run; ++k) PutU16(line, (seed >> 8) + k);
        x += run;
    }
    PutU16(line, 0);
    return line;
}

void WriteRunLength(const fs::path& path) {
    std::string lines;
    std::vector<std::uint32_t> offsets;
    const std::uint32_t headers = 6 + kImages * (8 + 4 * (kHeight - 1));
    std::uint32_t seed = 1;
    for (int image = 0; image < kImages; ++image, PutU16(lines, 0)) {
        for (int line = 0; line < kHeight; ++line) {
            offsets.push_back(headers + static_cast<std::uint32_t>(lines.size()));
            lines += RunLengthLine(seed);
        }
    }
    std::string file;
    PutU32(file, 3);
    PutU16(file, kImages);
    for (int image = 0; image < kImages; ++image) {
        PutU32(file, offsets[image * kHeight]);
        PutU16(file, kWidth);
        PutU16(file, kHeight);
        for (int line = 1; line < kHeight; ++line) PutU32(file, offsets[image * kHeight + line]);
    }
    std::ofstream(path, std::ios::binary) << file << lines;
}

void WritePlain(const fs::path& path) {
    std::string file;
    PutU32(file, 1);
    PutU16(file, kImages);
    const std::uint32_t size = kWidth * kHeight * 2;
    for (int image = 0; image < kImages; ++image) {
        PutU32(file, 6 + kImages * 8 + image * size);
        PutU16(file, kWidth);
        PutU16(file, kHeight);
    }
    for (std::uint32_t pixel = 0; pixel < kImages * kWidth * kHeight; ++pixel) {
        PutU16(file, pixel * 2654435761u >> 16);
    }
    std::ofstream(path, std::ios::binary) << file;
}

void OpenAndReadNearEnd(benchmark::State& state, const fs::path& path) {
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = heap_now.load();
        heap_peak = before;
        const ormel::sprite::SpriteFile file = ormel::sprite::SpriteFile::Open(path);
        benchmark::DoNotOptimize(file.Read(kImageRead).argb.data());
        peak = std::max(peak, heap_peak.load() - before);
    }
    const double file_size = static_cast<double>(fs::file_size(path));
    state.counters["file_MB"] = file_size / 1e6;
    state.counters["peak_heap_KB"] = static_cast<double>(peak) / 1e3;
    state.counters["heap_per_file_%"] = 100.0 * static_cast<double>(peak) / file_size;
}

}  // namespace

// Every allocation counted by the size the allocator gave it. Kept out of
// line, so that the compiler does not pair malloc and free across inlined
// calls of new and delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    const std::size_t now = heap_now += malloc_usable_size(block);
    for (std::size_t peak = heap_peak; now > peak && !heap_peak.compare_exchange_weak(peak, now);) {
    }
    return block;
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    if (!block) return;
    heap_now -= malloc_usable_size(block);
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = base / "ormel-sprite-bench";
    fs::create_directories(folder);
    WriteRunLength(folder / "many.c16");
    WritePlain(folder / "many.s16");
    benchmark::RegisterBenchmark("OpenAndReadNearEnd/c16", OpenAndReadNearEnd, folder / "many.c16");
    benchmark::RegisterBenchmark("OpenAndReadNearEnd/s16", OpenAndReadNearEnd, folder / "many.s16");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(folder);
    return 0;
}

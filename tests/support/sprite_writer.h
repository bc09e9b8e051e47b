// Sprite files (.s16 plain, .c16 run-length) made from 5-6-5 pixels, for the
// tests and benchmarks that need one on disk. Pixel 0 is transparent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ormel::test {

struct SpriteImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;  // row by row from the top
};

// The file's bytes: flags 1 (.s16) or 3 (.c16), 5-6-5 pixels.
std::string SpriteBytes(bool run_length, const std::vector<SpriteImage>& images);

}  // namespace ormel::test

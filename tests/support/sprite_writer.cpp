#include "support/sprite_writer.h"

#include <cstddef>

namespace ormel::test {

namespace {

void PutU16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void SetU32(std::string& out, std::size_t at, std::size_t value) {
    std::string bytes;
    PutU32(bytes, static_cast<std::uint32_t>(value));
    out.replace(at, 4, bytes);
}

// One line as runs: transparent runs carry no pixels, coloured runs do.
void PutLine(std::string& out, const std::uint16_t* line, int width) {
    for (int x = 0; x < width;) {
        const bool coloured = line[x] != 0;
        int end = x;
        while (end < width && (line[end] != 0) == coloured) ++end;
        PutU16(out, static_cast<std::uint32_t>((end - x) << 1 | (coloured ? 1 : 0)));
        if (coloured)
            for (int i = x; i < end; ++i) PutU16(out, line[i]);
        x = end;
    }
    PutU16(out, 0);
}

}  // namespace

std::string SpriteBytes(bool run_length, const std::vector<SpriteImage>& images) {
    std::string out;
    PutU32(out, run_length ? 3 : 1);
    PutU16(out, static_cast<std::uint32_t>(images.size()));
    // Each header's offsets, filled in once the pixels are placed.
    std::vector<std::size_t> headers;
    for (const SpriteImage& image : images) {
        headers.push_back(out.size());
        PutU32(out, 0);
        PutU16(out, static_cast<std::uint32_t>(image.width));
        PutU16(out, static_cast<std::uint32_t>(image.height));
        if (run_length)
            for (int y = 1; y < image.height; ++y) PutU32(out, 0);
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
        const SpriteImage& image = images[i];
        SetU32(out, headers[i], out.size());
        if (!run_length) {
            for (std::uint16_t pixel : image.pixels) PutU16(out, pixel);
            continue;
        }
        for (int y = 0; y < image.height; ++y) {
            // Lines 2 to height have their offsets after the size.
            if (y > 0)
                SetU32(out, headers[i] + 8 + 4 * static_cast<std::size_t>(y - 1), out.size());
            PutLine(out, image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                    image.width);
        }
        PutU16(out, 0);
    }
    return out;
}

}  // namespace ormel::test

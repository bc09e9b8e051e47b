// The game's sprite files (.c16 run-length compressed, .s16 plain): a
// numbered list of 16-bit images. Opening reads the header only; each image
// is read from the file when asked for, so that time and memory follow the
// images shown, not the size of the file. The file is opened again for each
// image and not held open between reads.
//
// What is refused, besides what the format itself rules out:
// - flags with any bit other than 0 (5-6-5 pixels) and 1 (run-length) set:
//   another layout, whose bytes would decode as noise;
// - an image of more than 16,777,216 pixels (4096 x 4096): far beyond any
//   sprite, and a run-length image of that size fits in a few hundred bytes;
// - .s16 pixels and .c16 lines that begin inside the headers;
// - a .c16 run of no pixels (tag 1), whose only use is to pad a line;
// - a .c16 image of height 0, which has no top line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ormel::sprite {

enum class Compression { Plain, RunLength };  // .s16, .c16
enum class PixelFormat { Rgb555, Rgb565 };

struct ImageSize {
    int width = 0;
    int height = 0;
};

// One decoded image: width × height pixels, row by row from the top, each
// 0xAARRGGBB with alpha 0 for a transparent pixel and 255 otherwise.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// A damaged or hostile file: what is wrong, naming the image (from 0), the
// line (from 0, the top) and the byte offset where that applies, e.g.
// "image 3, line 7, byte 1234: the runs overrun the width of 32 pixels".
// The file's name is for the caller to add; only a file that cannot be read
// is named, with the system's reason.
class SpriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class SpriteFile {
  public:
    // Reads and checks the header of the file at path. Throws SpriteError
    // for a damaged file, or one that cannot be read (with the system's
    // reason).
    static SpriteFile Open(const std::filesystem::path& path);
    // The same for a file's bytes in memory, which the SpriteFile keeps.
    static SpriteFile FromBytes(std::string bytes);

    Compression Kind() const;
    PixelFormat Format() const;
    int Count() const;
    // Image index, 0 to Count() - 1; throws std::out_of_range past them.
    ImageSize Size(int index) const;
    // Reads and decodes one image. Throws SpriteError for a damaged image
    // (or a file that has since become unreadable or shorter),
    // std::out_of_range for an index past the images. Changes nothing in the
    // SpriteFile, so that several threads may read images at once.
    Image Read(int index) const;

    SpriteFile(SpriteFile&&) noexcept;
    SpriteFile& operator=(SpriteFile&&) noexcept;
    ~SpriteFile();

  private:
    struct State;
    explicit SpriteFile(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace ormel::sprite

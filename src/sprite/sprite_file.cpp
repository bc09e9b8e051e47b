#include "sprite/sprite_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <system_error>

#include "platform/system_reason.h"

namespace ormel::sprite {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFileHeaderSize = 6;       // flags:u32 count:u16
constexpr std::uint64_t kImageHeaderSize = 8;      // offset:u32 width:u16 height:u16
constexpr std::uint64_t kLineOffsetSize = 4;       // .c16: u32 for each line after the top
constexpr std::uint64_t kMaxPixels = 4096 * 4096;  // see the header

std::string PathText(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t U32(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

// "image 3, line 7, byte 1234: " before what is wrong.
struct Where {
    int image = -1;
    int line = -1;
    std::uint64_t byte = 0;

    [[noreturn]] void Fail(const std::string& what) const {
        std::string text;
        if (image >= 0) text += "image " + std::to_string(image) + ", ";
        if (line >= 0) text += "line " + std::to_string(line) + ", ";
        throw SpriteError(text + "byte " + std::to_string(byte) + ": " + what);
    }
};

// The file's bytes, read a range at a time: from the file, opened once for
// each Open or Read, or from bytes in memory.
class Source {
  public:
    Source(const fs::path& path, const std::string* memory) : memory_(memory) {
        if (memory_) {
            size_ = memory_->size();
            return;
        }
        std::error_code error;
        if (fs::is_directory(path, error)) {
            CannotRead(path, std::make_error_code(std::errc::is_a_directory).message());
        }
        errno = 0;
        file_.open(path, std::ios::binary | std::ios::ate);
        if (!file_) CannotRead(path, LastSystemReason());
        const std::streamoff end = file_.tellg();
        if (end < 0) CannotRead(path, LastSystemReason());
        size_ = static_cast<std::uint64_t>(end);
        position_ = size_;
        path_ = path;
    }

    std::uint64_t Size() const { return size_; }

    // length bytes from offset, which the caller has checked against Size();
    // a file that has since become shorter is reported at where.
    std::string Read(std::uint64_t offset, std::uint64_t length, const Where& where) {
        if (memory_) {
            if (offset + length > memory_->size()) Shorter(where);
            return memory_->substr(offset, length);
        }
        std::string bytes(length, '\0');
        errno = 0;
        // Seeking drops the stream's buffer: reads one after the other, as
        // of the headers, are left to it.
        if (offset != position_) {
            file_.clear();
            file_.seekg(static_cast<std::streamoff>(offset));
        }
        file_.read(bytes.data(), static_cast<std::streamsize>(length));
        position_ = offset + length;
        if (static_cast<std::uint64_t>(file_.gcount()) != length) {
            position_ = ~std::uint64_t{0};
            if (file_.bad()) CannotRead(path_, LastSystemReason());
            Shorter(where);
        }
        return bytes;
    }

  private:
    [[noreturn]] static void CannotRead(const fs::path& path, const std::string& reason) {
        throw SpriteError("cannot read " + PathText(path) + (reason.empty() ? "" : ": " + reason));
    }
    [[noreturn]] void Shorter(const Where& where) const {
        where.Fail("the file has become shorter since it was opened: it ends at byte " +
                   std::to_string(size_));
    }

    const std::string* memory_;
    fs::path path_;
    std::ifstream file_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;  // where the file's next read begins
};

struct Entry {
    std::uint32_t offset = 0;  // .s16: the pixels; .c16: the top line
    int width = 0;
    int height = 0;
    std::uint64_t header = 0;  // where its header begins in the file
};

std::string SizeText(const Entry& entry) {
    return std::to_string(entry.width) + " x " + std::to_string(entry.height);
}

std::uint32_t Argb(std::uint16_t value, PixelFormat format) {
    std::uint32_t red, green, blue;
    if (format == PixelFormat::Rgb565) {
        red = value >> 11 & 31;
        green = value >> 5 & 63;
        green = green << 2 | green >> 4;
    } else {
        red = value >> 10 & 31;
        green = value >> 5 & 31;
        green = green << 3 | green >> 2;
    }
    blue = value & 31;
    red = red << 3 | red >> 2;
    blue = blue << 3 | blue >> 2;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

struct SpriteFile::State {
    fs::path path;
    std::optional<std::string> memory;
    std::uint64_t size = 0;
    Compression kind = Compression::Plain;
    PixelFormat format = PixelFormat::Rgb555;
    std::uint64_t header_end = 0;
    std::vector<Entry> entries;

    Source OpenSource() const { return Source(path, memory ? &*memory : nullptr); }

    void ReadHeader();
    void ReadImageHeaders(Source& source, int count);
    void CheckPixelCount(const Entry& entry, const Where& where) const;
    Where LineWhere(int index, int line) const;
    std::vector<std::uint32_t> LineOffsets(Source& source, int index) const;
    void CheckLineOffset(std::uint32_t offset, const Where& where) const;
    Image ReadPlain(Source& source, int index) const;
    Image ReadRunLength(Source& source, int index) const;
    void DecodeLine(const std::string& window, std::uint64_t window_start, const Entry& entry,
                    Where where, std::uint32_t* row) const;
};

void SpriteFile::State::ReadHeader() {
    Source source = OpenSource();
    size = source.Size();
    const Where start;
    if (size < kFileHeaderSize) {
        start.Fail("the file holds " + std::to_string(size) +
                   " bytes, too few for the flags and the count of images (6 bytes)");
    }
    const std::string head = source.Read(0, kFileHeaderSize, start);
    const std::uint32_t flags = U32(head, 0);
    if (flags > 3) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", flags);
        start.Fail(std::string("the flags ") + text +
                   " have bits set other than 0 (5-6-5 pixels) and 1 (run-length); no known "
                   "sprite file has them");
    }
    format = (flags & 1) ? PixelFormat::Rgb565 : PixelFormat::Rgb555;
    kind = (flags & 2) ? Compression::RunLength : Compression::Plain;
    const int count = U16(head, 4);
    if (kFileHeaderSize + count * kImageHeaderSize > size) {
        Where{-1, -1, 4}.Fail(std::to_string(count) + " images need at least " +
                              std::to_string(kFileHeaderSize + count * kImageHeaderSize) +
                              " bytes of headers; the file holds " + std::to_string(size) +
                              " bytes");
    }
    ReadImageHeaders(source, count);
}

// Each image's header, checked against the file's size before it is read,
// so that nothing is allocated beyond what the file holds.
void SpriteFile::State::ReadImageHeaders(Source& source, int count) {
    entries.reserve(count);
    std::uint64_t at = kFileHeaderSize;
    // The lowest line offset of all, checked against the headers' end once
    // that is known.
    std::uint32_t lowest = ~std::uint32_t{0};
    Where lowest_where;
    for (int index = 0; index < count; ++index) {
        const Where where{index, -1, at};
        const std::string header = source.Read(at, kImageHeaderSize, where);
        entries.push_back(Entry{U32(header, 0), U16(header, 4), U16(header, 6), at});
        const Entry& entry = entries.back();
        CheckPixelCount(entry, where);
        at += kImageHeaderSize;
        if (kind == Compression::Plain) continue;
        if (entry.height == 0) where.Fail("the image has a height of 0, so no top line");
        // The headers still to come need their bytes too.
        at += (entry.height - 1) * kLineOffsetSize;
        if (at + (count - 1 - index) * kImageHeaderSize > size) {
            where.Fail("the offsets of the image's " + std::to_string(entry.height) +
                       " lines and the headers after it run past the end of the file (" +
                       std::to_string(size) + " bytes)");
        }
        const std::vector<std::uint32_t> offsets = LineOffsets(source, index);
        const auto line = std::ranges::min_element(offsets) - offsets.begin();
        if (offsets[line] < lowest) {
            lowest = offsets[line];
            lowest_where = LineWhere(index, static_cast<int>(line));
        }
    }
    header_end = at;
    if (kind == Compression::RunLength && count > 0) CheckLineOffset(lowest, lowest_where);
    for (int index = 0; kind == Compression::Plain && index < count; ++index) {
        const Entry& entry = entries[index];
        const std::uint64_t bytes = 2 * static_cast<std::uint64_t>(entry.width) * entry.height;
        if (entry.offset < header_end || entry.offset + bytes > size) {
            Where{index, -1, entry.header}.Fail(
                "the image's " + SizeText(entry) + " pixels at byte " +
                std::to_string(entry.offset) + " lie outside the pixel data (bytes " +
                std::to_string(header_end) + " to " + std::to_string(size) + ")");
        }
    }
}

void SpriteFile::State::CheckPixelCount(const Entry& entry, const Where& where) const {
    if (static_cast<std::uint64_t>(entry.width) * entry.height > kMaxPixels) {
        where.Fail("the image's " + SizeText(entry) + " pixels are more than the " +
                   std::to_string(kMaxPixels) + " a sprite may have");
    }
}

// Where the offset of an image's line is in its header.
Where SpriteFile::State::LineWhere(int index, int line) const {
    const std::uint64_t header = entries[index].header;
    return {index, line,
            line == 0 ? header : header + kImageHeaderSize + (line - 1) * kLineOffsetSize};
}

// The offsets of an image's lines, top first: the first from its header, the
// others from the table after it. They are read again for each image read
// and not kept, so that an open file holds a few bytes for each image; each
// is checked each time, in case the file has changed since it was opened.
std::vector<std::uint32_t> SpriteFile::State::LineOffsets(Source& source, int index) const {
    const Entry& entry = entries[index];
    const std::uint64_t table = entry.header + kImageHeaderSize;
    const std::string bytes =
        source.Read(table, (entry.height - 1) * kLineOffsetSize, Where{index, -1, table});
    std::vector<std::uint32_t> offsets{entry.offset};
    offsets.reserve(entry.height);
    for (int line = 1; line < entry.height; ++line) {
        offsets.push_back(U32(bytes, (line - 1) * kLineOffsetSize));
    }
    for (int line = 0; line < entry.height; ++line) {
        CheckLineOffset(offsets[line], LineWhere(index, line));
    }
    return offsets;
}

// A line lies after the headers and holds at least its end, a u16 0.
void SpriteFile::State::CheckLineOffset(std::uint32_t offset, const Where& where) const {
    if (std::uint64_t{offset} + 2 > size) {
        where.Fail("the line's offset " + std::to_string(offset) +
                   " lies past the end of the file (" + std::to_string(size) + " bytes)");
    }
    if (offset < header_end) {
        where.Fail("the line's offset " + std::to_string(offset) +
                   " lies inside the headers, which end at byte " + std::to_string(header_end));
    }
}

Image SpriteFile::State::ReadPlain(Source& source, int index) const {
    const Entry& entry = entries[index];
    Image image{entry.width, entry.height, {}};
    const std::uint64_t pixels = static_cast<std::uint64_t>(entry.width) * entry.height;
    const std::string bytes = source.Read(entry.offset, pixels * 2, Where{index, -1, entry.offset});
    image.argb.resize(pixels);
    for (std::size_t at = 0; at < pixels; ++at) {
        const std::uint16_t value = U16(bytes, at * 2);
        image.argb[at] = value == 0 ? 0 : Argb(value, format);
    }
    return image;
}

// The lines are read in one piece when they lie together, as writers put
// them; otherwise each line on its own. Either way no more is read than the
// longest lines the image's width allows: a coloured pixel and its run's tag
// take at most 4 bytes, the line's end 2.
Image SpriteFile::State::ReadRunLength(Source& source, int index) const {
    const Entry& entry = entries[index];
    const std::vector<std::uint32_t> offsets = LineOffsets(source, index);
    const std::uint64_t longest = 4 * static_cast<std::uint64_t>(entry.width) + 2;
    const auto [lowest, highest] = std::ranges::minmax(offsets);
    const std::uint64_t first = lowest, end = std::min(size, highest + longest);
    const bool together = end - first <= entry.height * longest;
    std::string window;
    if (together) window = source.Read(first, end - first, Where{index, -1, first});
    Image image{entry.width, entry.height, {}};
    image.argb.assign(static_cast<std::size_t>(entry.width) * entry.height, 0);
    for (int line = 0; line < entry.height; ++line) {
        const std::uint64_t offset = offsets[line];
        const Where where{index, line, offset};
        std::uint32_t* row = image.argb.data() + static_cast<std::size_t>(line) * entry.width;
        if (together) {
            DecodeLine(window, first, entry, where, row);
        } else {
            const std::string bytes =
                source.Read(offset, std::min(size, offset + longest) - offset, where);
            DecodeLine(bytes, offset, entry, where, row);
        }
    }
    return image;
}

// One line's runs from window, which holds the file's bytes from start on
// and reaches at least to the line's longest end or to the end of the file.
void SpriteFile::State::DecodeLine(const std::string& window, std::uint64_t start,
                                   const Entry& entry, Where where, std::uint32_t* row) const {
    std::uint64_t at = where.byte - start;
    for (int x = 0;;) {
        where.byte = start + at;
        if (at + 2 > window.size()) {
            where.Fail("the line runs past the end of the file, " + std::to_string(x) + " of its " +
                       std::to_string(entry.width) + " pixels read");
        }
        const std::uint16_t tag = U16(window, at);
        at += 2;
        const int run = tag >> 1;
        if (tag == 0) {
            if (x == entry.width) return;
            where.Fail("the runs end after " + std::to_string(x) +
                       " pixels, short of the width of " + std::to_string(entry.width) + " pixels");
        }
        if (run == 0) where.Fail("a run of no pixels (tag 1)");
        if (x + run > entry.width) {
            where.Fail("the runs overrun the width of " + std::to_string(entry.width) + " pixels");
        }
        if (tag & 1) {
            if (at + 2 * static_cast<std::uint64_t>(run) > window.size()) {
                where.Fail("the run's " + std::to_string(run) +
                           " pixels run past the end of the file");
            }
            for (int k = 0; k < run; ++k, at += 2) row[x + k] = Argb(U16(window, at), format);
        }
        x += run;
    }
}

SpriteFile SpriteFile::Open(const fs::path& path) {
    auto state = std::make_unique<State>();
    state->path = path;
    state->ReadHeader();
    return SpriteFile(std::move(state));
}

SpriteFile SpriteFile::FromBytes(std::string bytes) {
    auto state = std::make_unique<State>();
    state->memory = std::move(bytes);
    state->ReadHeader();
    return SpriteFile(std::move(state));
}

SpriteFile::SpriteFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
SpriteFile::SpriteFile(SpriteFile&&) noexcept = default;
SpriteFile& SpriteFile::operator=(SpriteFile&&) noexcept = default;
SpriteFile::~SpriteFile() = default;

Compression SpriteFile::Kind() const {
    return state_->kind;
}
PixelFormat SpriteFile::Format() const {
    return state_->format;
}
int SpriteFile::Count() const {
    return static_cast<int>(state_->entries.size());
}

ImageSize SpriteFile::Size(int index) const {
    const Entry& entry = state_->entries.at(index);
    return {entry.width, entry.height};
}

Image SpriteFile::Read(int index) const {
    state_->entries.at(index);  // std::out_of_range past the images
    Source source = state_->OpenSource();
    return state_->kind == Compression::Plain ? state_->ReadPlain(source, index)
                                              : state_->ReadRunLength(source, index);
}

}  // namespace ormel::sprite

#include "agent/agent_picture.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <variant>

#include "agent/agent_description.h"
#include "agent/pray_source_writer.h"
#include "pray/file_names.h"

namespace ormel {

namespace {

namespace fs = std::filesystem;

// The game's mark at the end of an animation string: start again.
constexpr std::string_view kRepeatMark = "255";
// A sprite file holds at most 65535 images: longer numbers are past any end.
constexpr std::size_t kMaxDigits = 9;
constexpr std::size_t kListedFrames = 4;
const std::string kTimes = "\xC3\x97";  // ×, UTF-8
const std::string kNoPicture = "No picture: ";

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole number as the game reads one: digits only. The reason why not
// names the value as `what`; a negative number is one, but no image's.
std::variant<int, std::string> WholeNumber(std::string_view text, const std::string& what) {
    if (text.starts_with('-') && AllDigits(text.substr(1)))
        return kNoPicture + what + " " + Quoted(text) + " is below 0; images count from 0.";
    if (!AllDigits(text)) return kNoPicture + what + " " + Quoted(text) + " is not a whole number.";
    if (text.size() > kMaxDigits) return kNoPicture + what + " " + Quoted(text) + " is too large.";
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

// The animation's frame numbers; a trailing repeat mark is none. An empty
// string shows the first image alone, as "0" does.
std::variant<std::vector<int>, std::string> Frames(std::string_view animation) {
    std::vector<std::string_view> words = Words(animation);
    if (!words.empty() && words.back() == kRepeatMark) words.pop_back();
    std::vector<int> frames;
    for (std::string_view word : words) {
        auto number = WholeNumber(word, "the animation's frame");
        if (auto* reason = std::get_if<std::string>(&number)) return *reason;
        frames.push_back(std::get<int>(number));
    }
    if (frames.empty()) frames.push_back(0);
    return frames;
}

bool IsSpriteType(std::string_view ext) {
    return std::find(kImageExtensionEntries.begin(), kImageExtensionEntries.end(), ext) !=
           kImageExtensionEntries.end();
}

// "3", "0, 1, 2" or "0, 1, 2 … 9 (12 frames)".
std::string ImageList(const std::vector<int>& images) {
    std::string list;
    const std::size_t listed = images.size() <= kListedFrames ? images.size() : kListedFrames - 1;
    for (std::size_t i = 0; i < listed; ++i)
        list += (i == 0 ? "" : ", ") + std::to_string(images[i]);
    if (listed < images.size())
        list += " \xE2\x80\xA6 " + std::to_string(images.back()) + " (" +
                std::to_string(images.size()) + " frames)";
    return list;
}

// "24 × 32", or "up to 30 × 40" when the images differ in size.
std::string SizeText(const sprite::SpriteFile& file, const std::vector<int>& images) {
    sprite::ImageSize largest{};
    bool same = true;
    const sprite::ImageSize first = file.Size(images.front());
    for (int image : images) {
        const sprite::ImageSize size = file.Size(image);
        same = same && size.width == first.width && size.height == first.height;
        largest.width = std::max(largest.width, size.width);
        largest.height = std::max(largest.height, size.height);
    }
    return (same ? "" : "up to ") + std::to_string(largest.width) + " " + kTimes + " " +
           std::to_string(largest.height);
}

std::string ShownLine(const std::string& file_name, const sprite::SpriteFile& file,
                      const std::vector<int>& images) {
    const std::string which = images.size() == 1 ? "image " : "images ";
    const std::string turn = images.size() == 1 ? "" : " in turn";
    return file_name + ": " + which + ImageList(images) + " of " + std::to_string(file.Count()) +
           turn + ", " + SizeText(file, images);
}

std::string PastTheEndLine(const std::string& file_name, int image, int count) {
    if (count == 0) return kNoPicture + file_name + " holds no images.";
    return kNoPicture + "image " + std::to_string(image) + " is past the end of " + file_name +
           " (" + std::to_string(count) + " images, 0 to " + std::to_string(count - 1) + ").";
}

Picture Nothing(std::string line) {
    return {nullptr, {}, std::move(line)};
}

}  // namespace

std::shared_ptr<const sprite::SpriteFile> SpriteFileCache::Open(const fs::path& path) {
    const std::uintmax_t size = fs::file_size(path);
    const fs::file_time_type modified = fs::last_write_time(path);
    if (!file_ || path != path_ || size != size_ || modified != modified_) {
        file_.reset();
        file_ = std::make_shared<const sprite::SpriteFile>(sprite::SpriteFile::Open(path));
        path_ = path;
        size_ = size;
        modified_ = modified;
    }
    return file_;
}

std::string DamagedImageLine(const std::string& file_name, const std::string& reason) {
    return kNoPicture + file_name + ": " + reason;
}

Picture ChoosePicture(const PictureFields& fields, SpriteFileCache& files) {
    if (fields.image.empty())
        return Nothing(kNoPicture + "type the sprite file's name beside Image.");
    if (!IsSpriteType(fields.image_ext))
        return Nothing(kNoPicture + "the game shows .c16 and .s16 images, not " +
                       Quoted(fields.image_ext) + ".");
    if (fields.name.empty())
        return Nothing(kNoPicture + "type the agent's name; its folder holds the sprite file.");

    int first = 0;
    if (!fields.first_image.empty()) {
        auto number = WholeNumber(fields.first_image, "the first image");
        if (auto* reason = std::get_if<std::string>(&number)) return Nothing(*reason);
        first = std::get<int>(number);
    }
    auto frames = Frames(fields.animation);
    if (auto* reason = std::get_if<std::string>(&frames)) return Nothing(*reason);

    const std::string file_name = fields.image + fields.image_ext;
    const fs::path path = pray::PathFromUtf8(fields.program_folder) /
                          pray::PathFromUtf8(fields.name) / pray::PathFromUtf8(file_name);
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return Nothing(kNoPicture + "the agent folder " + fields.name + " holds no " + file_name +
                       ".");

    Picture picture;
    try {
        picture.file = files.Open(path);
    } catch (const sprite::SpriteError& damaged) {
        return Nothing(DamagedImageLine(file_name, damaged.what()));
    } catch (const fs::filesystem_error& unreadable) {
        return Nothing(DamagedImageLine(file_name, unreadable.code().message()));
    }
    const int count = picture.file->Count();
    for (int frame : std::get<std::vector<int>>(frames)) {
        const long long image = static_cast<long long>(first) + frame;
        if (image >= count)
            return Nothing(PastTheEndLine(file_name, static_cast<int>(image), count));
        picture.images.push_back(static_cast<int>(image));
    }
    picture.line = ShownLine(file_name, *picture.file, picture.images);
    return picture;
}

}  // namespace ormel

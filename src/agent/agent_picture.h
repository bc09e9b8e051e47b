// What the game shows of the agent in its lists: the sprite file that Image
// and its type name in the agent folder, and the images of it that the first
// image and the animation string choose, with one line that says what is
// shown or why nothing is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sprite/sprite_file.h"

namespace ormel {

// The form's values that decide the picture, as the author typed them (UTF-8).
struct PictureFields {
    std::string program_folder;
    std::string name;
    std::string image;
    std::string image_ext;
    // "Agent Sprite First Image": empty means 0.
    std::string first_image;
    std::string animation;
};

// Keeps the opened sprite file (its header only) while the file at the path
// keeps its size and modification time, so that the author's typing does not
// read it again.
class SpriteFileCache {
  public:
    // The file at path, opened; throws as sprite::SpriteFile::Open does.
    std::shared_ptr<const sprite::SpriteFile> Open(const std::filesystem::path& path);

  private:
    std::filesystem::path path_;
    std::uintmax_t size_ = 0;
    std::filesystem::file_time_type modified_{};
    std::shared_ptr<const sprite::SpriteFile> file_;
};

struct Picture {
    // The opened sprite file; null when nothing is shown.
    std::shared_ptr<const sprite::SpriteFile> file;
    // The file's images to show, in turn; one for a still image, none when
    // nothing is shown.
    std::vector<int> images;
    // What is shown ("lantern.c16: image 3 of 12, 32 × 48") or why nothing is.
    std::string line;
};

// The sprite file {program_folder}/{name}/{image}{image_ext} and the images
// that first_image plus each number of the animation string choose (a
// trailing 255, the game's mark to start again, is no frame). Reads the
// file's header only, through files.
Picture ChoosePicture(const PictureFields& fields, SpriteFileCache& files);

// The line for a picture whose image could not be decoded: the reader's
// reason.
std::string DamagedImageLine(const std::string& file_name, const std::string& reason);

}  // namespace ormel

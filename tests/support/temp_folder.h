// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ormel::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
// Paths as the UTF-8 text the core takes, and back.
std::string ToUtf8(const std::filesystem::path& path);
std::filesystem::path FromUtf8(std::string_view text);

}  // namespace ormel::test

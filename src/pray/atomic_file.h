// Files and folders that appear whole or not at all: written under a
// temporary name beside their place and moved there when complete, removed
// when anything fails on the way.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ormel::pray {

// A name for a temporary file or folder beside target, not yet in use.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

// Replaces target with the finished file or folder temp (the same folder).
void MoveIntoPlace(const std::filesystem::path& temp, const std::filesystem::path& target);

// A temporary file's path, removed again unless Release() says that it was
// moved into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    void Release() { path_.clear(); }

  private:
    std::filesystem::path path_;
};

// A temporary folder made beside the path given, removed with what is left
// in it.
class StagingFolder {
  public:
    explicit StagingFolder(const std::filesystem::path& beside);
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A file made by an exclusive create (O_EXCL, CREATE_NEW): a name that the
// file system finds taken already is an error, never a file overwritten.
// Throws Error naming the file as shown.
class NewFile {
  public:
    NewFile(const std::filesystem::path& path, std::string shown);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void Write(std::string_view bytes);
    void Close();

  private:
    [[noreturn]] void Fail(const std::string& what) const;

    int file_;
    std::string shown_;
};

}  // namespace ormel::pray

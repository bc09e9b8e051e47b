// The file operations the build performs, behind one object created anew for
// each build. Every failure throws FileSystemError; nothing is ignored.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/text_line_sink.h"

namespace ormel {

class FileSystemError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class IOMode { ForReading = 1, ForWriting = 2, ForAppending = 8 };
enum class TextFormat { Ascii = 0, Unicode = -1, SystemDefault = -2 };

// An open file written as 8-bit text in the system's code page with CR LF
// line ends and no byte-order mark. Each WriteLine goes to the operating
// system at once, so a full disk is reported at the line that hit it.
class TextStream final : public TextLineSink {
  public:
    TextStream(TextStream&& other) noexcept;
    TextStream& operator=(TextStream&& other) noexcept;
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    // Closes a stream that is still open; a failure to close is then lost,
    // so callers that care call Close themselves.
    ~TextStream() override;

    void WriteLine(std::string_view text) override;
    void Close() override;
    bool IsOpen() const { return handle_ != kClosed; }
    const std::string& Path() const { return path_; }

  private:
    friend class FileSystemObject;
    friend class File;
    static constexpr std::intptr_t kClosed = -1;
    TextStream(std::intptr_t handle, std::string path);
    void CloseQuietly() noexcept;

    std::intptr_t handle_;
    std::string path_;
};

// An existing file, as GetFile found it.
class File {
  public:
    const std::string& Path() const { return path_; }
    // Only writing in the 8-bit code page is offered: the stream replaces
    // the file's contents from its start.
    TextStream OpenAsTextStream(IOMode mode = IOMode::ForWriting,
                                TextFormat format = TextFormat::Ascii) const;

  private:
    friend class FileSystemObject;
    explicit File(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

class FileSystemObject {
  public:
    // Creates the file, or empties it when it exists and overwrite is set.
    // Fails when the folder is missing or the file cannot be written.
    TextStream CreateTextFile(const std::string& path, bool overwrite = true, bool unicode = false);
    // The file object of an existing regular file; fails for anything else.
    File GetFile(const std::string& path);
    // Copies one regular file with the operating system's own file copy.
    // An existing destination is replaced when overwrite is set. Fails when
    // the source is missing or not a file, when the destination cannot be
    // written (a read-only destination included, whoever runs the program),
    // and when both paths name the same file, which is then left untouched.
    // The copy never carries a read-only mark over from its source. "*" and
    // "?" are ordinary characters here.
    void CopyFile(const std::string& source, const std::string& destination, bool overwrite = true);
    // Deletes one file. Fails when it is missing, is a folder, or is
    // read-only and force is not set. "*" and "?" are ordinary characters.
    void DeleteFile(const std::string& path, bool force = false);
};

// True when the path names an existing regular file (or a link to one).
bool FileExists(const std::string& path);

// True when the file starts as every Windows program does, with "MZ".
bool IsWindowsProgram(const std::string& path);

// True when both paths exist and name the same file, however they are
// spelled (another case on Windows, a link, a "." in between).
bool IsSameExistingFile(const std::string& a, const std::string& b);

}  // namespace ormel

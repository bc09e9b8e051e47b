#include "pray/package_writer.h"

#include <zlib.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "pray/atomic_file.h"
#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_format.h"
#include "pray/tag_block.h"

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace ormel::pray {

void (*g_before_reading_file)(const fs::path& file) = nullptr;

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

#ifdef __linux__
// Copies a whole file into the package at offset inside the kernel
// (copy_file_range), as cp does. False when that fails or the file turns out
// not to hold exactly size bytes, so that the caller copies it itself, from
// the start, and finds out how it changed.
bool CopyInKernel(const fs::path& from, const fs::path& to, std::uint64_t offset,
                  std::uint64_t size) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = in < 0 ? -1 : ::open(to.c_str(), O_WRONLY | O_CLOEXEC);
    auto out_offset = static_cast<off_t>(offset);
    std::uint64_t left = out < 0 ? 1 : size;
    while (left > 0) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, &out_offset, left, 0);
        if (copied <= 0) break;
        left -= static_cast<std::uint64_t>(copied);
    }
    char beyond = 0;
    const bool ends = left == 0 && ::read(in, &beyond, 1) == 0;
    const bool closed = (out < 0 || ::close(out) == 0) && (in < 0 || ::close(in) == 0);
    return ends && closed;
}
#else
bool CopyInKernel(const fs::path&, const fs::path&, std::uint64_t, std::uint64_t) {
    return false;
}
#endif

// The bytes of one block's data, readable again from the start when a
// compressed form turns out no smaller.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
    virtual void Rewind() = 0;
    // Puts all the data into the package at offset by a faster way than
    // reading it, if there is one.
    virtual bool CopyInto(const fs::path&, std::uint64_t, std::uint64_t) { return false; }
    // What the data is, for messages.
    virtual std::string Shown() const { return "a tag block"; }
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t count = std::min(capacity, bytes_.size() - offset_);
        std::memcpy(buffer, bytes_.data() + offset_, count);
        offset_ += count;
        return count;
    }
    void Rewind() override { offset_ = 0; }

  private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
};

class FileSource final : public ByteSource {
  public:
    FileSource(const fs::path& path, const std::string& shown) : path_(path), shown_(shown) {
        Rewind();
    }
    std::size_t Read(char* buffer, std::size_t capacity) override {
        file_.read(buffer, static_cast<std::streamsize>(capacity));
        if (file_.bad()) throw FileError("cannot read the file", shown_);
        return static_cast<std::size_t>(file_.gcount());
    }
    bool CopyInto(const fs::path& package, std::uint64_t offset, std::uint64_t size) override {
        return CopyInKernel(path_, package, offset, size);
    }
    std::string Shown() const override { return "the file " + shown_; }
    void Rewind() override { file_ = OpenToRead(path_, "cannot open the file", shown_); }

  private:
    fs::path path_;
    std::string shown_;
    std::ifstream file_;
};

class Deflater {
  public:
    explicit Deflater(int level) {
        if (deflateInit(&stream_, level) != Z_OK) throw Error("zlib cannot start compressing");
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    z_stream* operator->() { return &stream_; }

  private:
    z_stream stream_{};
};

// The package being written: a temporary file, with the position where its
// content ends (a block stored uncompressed after an attempt at compressing
// it leaves stale bytes behind that point until the file is cut there).
// Messages name the package as the user gave it, shown.
class PackageFile {
  public:
    PackageFile(const fs::path& path, const std::string& shown)
        : path_(path), shown_(shown), buffer_(kChunkBytes) {
        errno = 0;
        out_.open(path, std::ios::binary | std::ios::trunc);
        if (!out_) FailWriting();
        Write(kPackageMagic.data(), kPackageMagic.size());
        end_ = kPackageMagic.size();
    }

    void WriteBlock(std::string_view type, std::string_view name, ByteSource& data,
                    std::uint64_t size, int level) {
        const std::uint64_t header_at = end_;
        const std::uint64_t payload_at = header_at + kHeaderBytes;
        std::uint64_t stored = size;
        bool compressed = false;
        Seek(payload_at);
        if (level > 0) {
            if (const auto deflated = Deflate(data, size, level)) {
                stored = *deflated;
                compressed = true;
            } else {
                data.Rewind();
            }
        }
        if (!compressed) CopyUncompressed(data, payload_at, size);
        Seek(header_at);
        WriteHeader(type, name, stored, size, compressed ? kCompressedFlag : 0);
        end_ = payload_at + stored;
    }

    void Finish() {
        out_.close();
        if (out_.fail()) FailWriting();
        std::error_code error;
        fs::resize_file(path_, end_, error);
        if (error) FailWriting(error.message());
    }

  private:
    // The zlib stream's size, or nothing once it is no smaller than the data.
    std::optional<std::uint64_t> Deflate(ByteSource& data, std::uint64_t size, int level) {
        Deflater deflater(level);
        std::vector<char> output(kChunkBytes);
        std::uint64_t read = 0;
        std::uint64_t written = 0;
        int flush = Z_NO_FLUSH;
        do {
            if (deflater->avail_in == 0 && flush == Z_NO_FLUSH) {
                const std::size_t count = data.Read(buffer_.data(), buffer_.size());
                read += count;
                if (count == 0) flush = Z_FINISH;
                deflater->next_in = reinterpret_cast<Bytef*>(buffer_.data());
                deflater->avail_in = static_cast<uInt>(count);
            }
            deflater->next_out = reinterpret_cast<Bytef*>(output.data());
            deflater->avail_out = static_cast<uInt>(output.size());
            if (deflate(deflater.operator->(), flush) == Z_STREAM_ERROR) {
                throw Error("zlib failed while compressing");
            }
            const std::size_t produced = output.size() - deflater->avail_out;
            written += produced;
            if (written >= size) return std::nullopt;
            Write(output.data(), produced);
        } while (flush != Z_FINISH || deflater->avail_out == 0);
        CheckSize(data, read, size);
        return written;
    }

    void CopyUncompressed(ByteSource& data, std::uint64_t payload_at, std::uint64_t size) {
        out_.flush();
        if (!out_) FailWriting();
        if (data.CopyInto(path_, payload_at, size)) return;
        data.Rewind();
        Seek(payload_at);
        Copy(data, size);
    }

    void Copy(ByteSource& data, std::uint64_t size) {
        std::uint64_t read = 0;
        while (const std::size_t count = data.Read(buffer_.data(), buffer_.size())) {
            read += count;
            if (read > size) break;
            Write(buffer_.data(), count);
        }
        CheckSize(data, read, size);
    }

    static void CheckSize(const ByteSource& data, std::uint64_t read, std::uint64_t size) {
        if (read != size) throw Error(data.Shown() + " changed size while being packed");
    }

    void WriteHeader(std::string_view type, std::string_view name, std::uint64_t stored,
                     std::uint64_t unstored, std::uint32_t flags) {
        std::array<char, kHeaderBytes> header{};
        std::memcpy(header.data(), type.data(), kTypeBytes);
        std::memcpy(header.data() + kTypeBytes, name.data(), name.size());
        char* sizes = header.data() + kTypeBytes + kNameField;
        PutU32(sizes, static_cast<std::uint32_t>(stored));
        PutU32(sizes + 4, static_cast<std::uint32_t>(unstored));
        PutU32(sizes + 8, flags);
        Write(header.data(), header.size());
    }

    void Seek(std::uint64_t position) { out_.seekp(static_cast<std::streamoff>(position)); }

    void Write(const char* bytes, std::size_t count) {
        out_.write(bytes, static_cast<std::streamsize>(count));
        if (!out_) FailWriting();
    }

    [[noreturn]] void FailWriting(const std::string& reason = LastSystemReason()) const {
        throw FileError("cannot write the package", shown_, reason);
    }

    fs::path path_;
    std::string shown_;
    std::ofstream out_;
    std::vector<char> buffer_;
    std::uint64_t end_ = 0;
};

// Every file the document names, checked before anything is written.
struct CheckedFile {
    fs::path path;
    std::uint64_t size = 0;
};

#ifdef _WIN32
constexpr bool kNamesKeepCase = false;
#else
constexpr bool kNamesKeepCase = true;
#endif

// The file a name stands for that is not there by that name. Where names
// keep their case, documents written on Windows still build: the one file
// whose name differs only in letter case is taken, with a warning into
// warn_into where given.
fs::path FindIgnoringCase(const Source& source, const FileReference& file, const fs::path& path,
                          const fs::path& document_folder, Source* warn_into) {
    const std::string name = "the file " + QuoteSourceString(NameText(file.name, source.utf8));
    const std::vector<fs::path> matches =
        kNamesKeepCase ? MatchesIgnoringCase(path) : std::vector<fs::path>();
    std::string missing = name + " is not in the document's folder";
    missing += document_folder.empty() ? ", the current folder" : " ";
    missing += PathText(document_folder);
    if (matches.size() == 1) {
        if (warn_into) {
            warn_into->Warn(file.at, name + " is taken to be " +
                                         QuoteSourceString(PathText(matches[0].filename())) +
                                         ", whose name differs only in letter case");
        }
        return matches[0];
    }
    for (std::size_t i = 0; i < matches.size(); ++i) {
        missing += i == 0 ? "; by letter case it could be " : ", ";
        missing += QuoteSourceString(PathText(matches[i].filename()));
    }
    throw SourceError(source.document, file.at.line, file.at.column, missing);
}

CheckedFile CheckFile(const Source& source, const FileReference& file,
                      const fs::path& document_folder, Source* warn_into = nullptr) {
    fs::path path = document_folder / PathFromNameBytes(file.name, source.utf8);
    auto fail = [&](const std::string& why) {
        throw SourceError(
            source.document, file.at.line, file.at.column,
            "the file " + QuoteSourceString(NameText(file.name, source.utf8)) + " " + why);
    };
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        path = FindIgnoringCase(source, file, path, document_folder, warn_into);
        status = fs::status(path, error);
    }
    if (!fs::is_regular_file(status)) fail("is not a file");
    const std::uint64_t size = fs::file_size(path, error);
    if (error) fail("cannot be read: " + error.message());
    if (size > kMaxBlockBytes) {
        fail("is " + std::to_string(size) + " bytes long; a block holds at most 4294967295 bytes");
    }
    errno = 0;
    if (!std::ifstream(path, std::ios::binary)) {
        fail("cannot be opened for reading: " + LastSystemReason());
    }
    return {path, size};
}

std::string EncodeGroup(const Source& source, const BlockSource& group,
                        const fs::path& document_folder) {
    Tags tags;
    std::uint64_t total = 8;
    auto too_large = [&](const SourcePosition& at) {
        throw SourceError(source.document, at.line, at.column,
                          "the group's tags come to more than " + std::to_string(kTagBlockBudget) +
                              " bytes, the most a tag block holds (a reader holds it whole)");
    };
    for (const auto& tag : group.integers) {
        tags.integers.emplace_back(tag.key, tag.value);
        total += 8 + tag.key.size();
        if (total > kTagBlockBudget) too_large(tag.at);
    }
    for (const auto& tag : group.strings) {
        std::string value = tag.value;
        if (tag.file) {
            const CheckedFile file = CheckFile(source, *tag.file, document_folder);
            if (total + file.size > kTagBlockBudget) too_large(tag.at);
            value = ReadWholeFile(file.path);
        }
        total += 8 + tag.key.size() + value.size();
        if (total > kTagBlockBudget) too_large(tag.at);
        tags.strings.emplace_back(tag.key, std::move(value));
    }
    return EncodeTags(tags);
}

}  // namespace

std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in = OpenToRead(file, "cannot open the file", PathText(file));
    std::string bytes;
    std::array<char, 1 << 16> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0) {
        bytes.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw FileError("cannot read the file", PathText(file));
    return bytes;
}

void WritePackage(Source& source, const fs::path& document_folder, const fs::path& output,
                  int level) {
    const std::string shown = PathText(output);
    RequireReplaceable(output, "cannot write the package", shown);
    std::vector<CheckedFile> inline_files;
    for (const BlockSource& block : source.blocks) {
        for (const auto& tag : block.strings) {
            if (tag.file) CheckFile(source, *tag.file, document_folder, &source);
        }
        if (!block.is_group) {
            inline_files.push_back(CheckFile(source, block.file, document_folder, &source));
        }
    }

    TemporaryFile temp(TemporaryPathBeside(output));
    PackageFile package(temp.path(), shown);
    auto inline_file = inline_files.begin();
    for (const BlockSource& block : source.blocks) {
        if (block.is_group) {
            const std::string payload = EncodeGroup(source, block, document_folder);
            MemorySource data(payload);
            package.WriteBlock(block.type, block.name, data, payload.size(), level);
        } else {
            if (g_before_reading_file) g_before_reading_file(inline_file->path);
            FileSource data(inline_file->path,
                            QuoteSourceString(NameText(block.file.name, source.utf8)));
            package.WriteBlock(block.type, block.name, data, inline_file->size, level);
            ++inline_file;
        }
    }
    package.Finish();
    MoveIntoPlace(temp.path(), output);
    temp.Release();
}

Source BuildPackage(const fs::path& document, const fs::path& output, int level) {
    Source source = ParseSource(ReadWholeFile(document), PathText(document));
    WritePackage(source, document.parent_path(), output, level);
    return source;
}

}  // namespace ormel::pray

#include "pray/package_reader.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "pray/errors.h"
#include "pray/package_format.h"
#include "pray/source_parser.h"

namespace ormel::pray {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

bool IsBlockTypeByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

class Inflater {
  public:
    Inflater() {
        if (inflateInit(&stream_) != Z_OK) throw Error("zlib cannot start inflating");
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream* get() { return &stream_; }

  private:
    z_stream stream_{};
};

}  // namespace

std::string DescribeBlock(const BlockHeader& header) {
    return "block " + std::to_string(header.index) + " (" + header.type + " " +
           QuoteSourceString(header.name) + ")";
}

PackageReader::PackageReader(std::istream& in, std::string package_name)
    : in_(in), package_name_(std::move(package_name)) {
    in_.seekg(0, std::ios::end);
    const std::streamoff size = in_.tellg();
    in_.seekg(0);
    if (!in_ || size < 0) Fail(0, "the package cannot be read");
    size_ = static_cast<std::uint64_t>(size);
    std::array<char, 4> magic{};
    if (size_ < magic.size()) Fail(0, "not a package: it is shorter than the 4 bytes \"PRAY\"");
    ReadExactly(magic.data(), magic.size());
    if (std::string_view(magic.data(), magic.size()) != kPackageMagic) {
        Fail(0, "not a package: it does not start with \"PRAY\"");
    }
    next_offset_ = magic.size();
}

std::string PackageReader::Where(std::uint64_t offset) const {
    std::string block;
    if (header_.index > 0) {
        block = header_.type.empty() ? "block " + std::to_string(header_.index) + " "
                                     : DescribeBlock(header_) + " ";
    }
    return package_name_ + ": " + block + "at byte " + std::to_string(offset) + ": ";
}

void PackageReader::Fail(std::uint64_t offset, const std::string& message) const {
    throw PackageError(Where(offset) + message);
}

std::string PackageReader::Warning(const std::string& message) const {
    return Where(header_.offset) + "warning: " + message;
}

void PackageReader::ReadExactly(char* buffer, std::size_t count) {
    const std::streamoff at = in_.tellg();  // a failed read leaves no position to ask for
    in_.read(buffer, static_cast<std::streamsize>(count));
    if (static_cast<std::size_t>(in_.gcount()) != count) {
        Fail(static_cast<std::uint64_t>(std::max<std::streamoff>(at, 0) + in_.gcount()),
             "the package cannot be read");
    }
}

bool PackageReader::Next() {
    if (next_offset_ == size_) return false;
    const int index = header_.index + 1;
    header_ = BlockHeader();
    header_.index = index;
    header_.offset = next_offset_;
    const std::uint64_t remaining = size_ - next_offset_;
    if (remaining < kHeaderBytes) {
        Fail(next_offset_, "the package ends " + std::to_string(remaining) +
                               " bytes into a block header of 144 bytes");
    }
    std::array<char, kHeaderBytes> raw{};
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(next_offset_));
    ReadExactly(raw.data(), raw.size());
    CheckHeader(raw.data());
    next_offset_ += kHeaderBytes + header_.stored;
    return true;
}

void PackageReader::CheckHeader(const char* raw) {
    const std::string_view type(raw, kTypeBytes);
    const std::string_view name_field(raw + kTypeBytes, kNameField);
    const char* sizes = raw + kTypeBytes + kNameField;
    header_.stored = GetU32(sizes);
    header_.unstored = GetU32(sizes + 4);
    const std::uint32_t flags = GetU32(sizes + 8);
    header_.compressed = (flags & kCompressedFlag) != 0;

    const std::uint64_t at = header_.offset;
    if (!std::all_of(type.begin(), type.end(), IsBlockTypeByte)) {
        Fail(at, "the block type is not 4 letters or digits");
    }
    header_.type = type;
    const std::size_t end = name_field.find('\0');
    if (end == std::string_view::npos) {
        Fail(at + kTypeBytes, "the block name fills all 128 bytes with no zero byte to end it");
    }
    header_.name = name_field.substr(0, end);
    const std::uint64_t sizes_at = at + kTypeBytes + kNameField;
    if ((flags & ~kCompressedFlag) != 0) {
        Fail(sizes_at + 8, "the flags " + std::to_string(flags) + " set bits other than bit 0");
    }
    if (!header_.compressed && header_.stored != header_.unstored) {
        Fail(sizes_at, "an uncompressed block claims " + std::to_string(header_.stored) +
                           " stored but " + std::to_string(header_.unstored) +
                           " unstored bytes; the two must be equal");
    }
    const std::uint64_t remaining = size_ - at - kHeaderBytes;
    if (header_.stored > remaining) {
        Fail(sizes_at, "the block claims " + std::to_string(header_.stored) +
                           " stored bytes, but only " + std::to_string(remaining) +
                           " remain in the package");
    }
}

void PackageReader::ReadData(const std::function<void(std::string_view)>& sink) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(header_.offset + kHeaderBytes));
    if (header_.compressed) {
        Inflate(sink);
    } else {
        ReadStored(sink);
    }
}

void PackageReader::ReadStored(const std::function<void(std::string_view)>& sink) {
    std::vector<char> buffer(std::min<std::size_t>(kChunkBytes, header_.stored));
    for (std::uint64_t left = header_.stored; left > 0;) {
        const std::size_t count = std::min<std::uint64_t>(left, buffer.size());
        ReadExactly(buffer.data(), count);
        sink(std::string_view(buffer.data(), count));
        left -= count;
    }
}

void PackageReader::Inflate(const std::function<void(std::string_view)>& sink) {
    const std::uint64_t payload_at = header_.offset + kHeaderBytes;
    Inflater inflater;
    z_stream* stream = inflater.get();
    std::vector<char> input(std::min<std::size_t>(kChunkBytes, header_.stored));
    std::vector<char> output(kChunkBytes);
    std::uint64_t left = header_.stored;
    std::uint64_t produced = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream->avail_in == 0) {
            if (left == 0) {
                Fail(payload_at + header_.stored,
                     "the compressed data ends before its zlib stream does");
            }
            const std::size_t count = std::min<std::uint64_t>(left, input.size());
            ReadExactly(input.data(), count);
            left -= count;
            stream->next_in = reinterpret_cast<Bytef*>(input.data());
            stream->avail_in = static_cast<uInt>(count);
        }
        stream->next_out = reinterpret_cast<Bytef*>(output.data());
        stream->avail_out = static_cast<uInt>(output.size());
        status = inflate(stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            Fail(payload_at + stream->total_in,
                 std::string("the compressed data is not a valid zlib stream") +
                     (stream->msg ? std::string(" (") + stream->msg + ")" : std::string()));
        }
        const std::size_t count = output.size() - stream->avail_out;
        produced += count;
        if (produced > header_.unstored) {
            Fail(payload_at, "the compressed data inflates to more than the " +
                                 std::to_string(header_.unstored) + " bytes the block claims");
        }
        sink(std::string_view(output.data(), count));
    }
    if (left != 0 || stream->avail_in != 0) {
        Fail(payload_at + stream->total_in,
             std::to_string(left + stream->avail_in) + " bytes follow the end of the zlib stream");
    }
    if (produced != header_.unstored) {
        Fail(payload_at, "the compressed data inflates to " + std::to_string(produced) +
                             " bytes, not the " + std::to_string(header_.unstored) +
                             " the block claims");
    }
}

Tags PackageReader::ReadTags() {
    if (header_.unstored > kTagBlockBudget) {
        Fail(header_.offset + kTypeBytes + kNameField + 4,
             "the tag block claims " + std::to_string(header_.unstored) + " bytes; at most " +
                 std::to_string(kTagBlockBudget) + " are read");
    }
    std::string payload;
    payload.reserve(header_.unstored);
    ReadData([&](std::string_view piece) { payload += piece; });
    try {
        return DecodeTags(payload);
    } catch (const TagFormatError& error) {
        Fail(header_.offset + kHeaderBytes + error.offset(),
             std::string("the tags are not well-formed: ") + error.what());
    }
}

}  // namespace ormel::pray

// Reads a package block by block, checking every size against the bytes
// that are really there before using it: no claimed size is ever allocated.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

#include "pray/tag_block.h"

namespace ormel::pray {

struct BlockHeader {
    int index = 0;             // from 1
    std::uint64_t offset = 0;  // of the header in the package
    std::string type;
    std::string name;
    std::uint32_t stored = 0;
    std::uint32_t unstored = 0;
    bool compressed = false;
};

class PackageReader {
  public:
    // package_name is what messages call the package. Throws PackageError
    // when the stream does not start with "PRAY".
    PackageReader(std::istream& in, std::string package_name);

    // Moves to the next block and checks its header (type, name, flags and
    // sizes); false after the last block. The block's data is skipped unless
    // read before the next call.
    bool Next();
    const BlockHeader& header() const { return header_; }

    // Hands the block's data to sink in pieces of at most 1 MiB, inflating
    // it when compressed; throws PackageError as soon as it turns out not to
    // be exactly the claimed number of bytes.
    void ReadData(const std::function<void(std::string_view)>& sink);
    // The block's data as tags; for the types that hold tags. Throws
    // PackageError when the block claims more than kTagBlockBudget bytes.
    Tags ReadTags();

    // Throws PackageError naming the package, the current block and the
    // byte offset.
    [[noreturn]] void Fail(std::uint64_t offset, const std::string& message) const;
    // A warning line about the current block, named as Fail names it.
    std::string Warning(const std::string& message) const;

  private:
    std::string Where(std::uint64_t offset) const;
    void ReadExactly(char* buffer, std::size_t count);
    void CheckHeader(const char* raw);
    void ReadStored(const std::function<void(std::string_view)>& sink);
    void Inflate(const std::function<void(std::string_view)>& sink);

    std::istream& in_;
    std::string package_name_;
    std::uint64_t size_ = 0;
    std::uint64_t next_offset_ = 0;
    BlockHeader header_;
};

// "block 2 (FILE "glow.wav")", for messages.
std::string DescribeBlock(const BlockHeader& header);

}  // namespace ormel::pray

// What the builder's tests share: running ormel-pray in-process, reading a
// package back, and the files a folder holds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "pray/tag_block.h"
#include "support/temp_folder.h"

namespace ormel::test {

struct CliRun {
    int status = 0;
    std::string out;
    std::string err;
};

// ormel-pray with these arguments (paths as UTF-8), run in this process.
CliRun RunPray(const std::vector<std::string>& arguments);

// A block as a reader sees it: tags for the tag block types, bytes otherwise.
struct ReadBlock {
    std::string type;
    std::string name;
    pray::Tags tags;
    std::string bytes;
    bool operator==(const ReadBlock&) const = default;
};
std::vector<ReadBlock> ReadBlocks(const std::filesystem::path& package);

// Every file and folder below folder, as sorted relative paths.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);

// A block's 144-byte header.
std::string BlockHeaderBytes(std::string type, std::string name, std::uint32_t stored,
                             std::uint32_t unstored, std::uint32_t flags);

// A document: the language line, then these lines, each ended by CR LF.
std::string Document(const std::vector<std::string>& lines);

}  // namespace ormel::test

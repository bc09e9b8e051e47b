// What the builder's tests share: ormel-pray run in-process, packages read
// back, and the files below a folder.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pray/package_reader.h"
#include "pray/pray_cli.h"
#include "pray/tag_block.h"
#include "support/temp_folder.h"

namespace ormel::test {

struct CliRun {
    int status = 0;
    std::string out;
    std::string err;
};

// ormel-pray with these arguments (paths as UTF-8), run in this process,
// from the folder given if any.
inline CliRun RunPray(const std::vector<std::string>& arguments,
                      const std::filesystem::path& in = {}) {
    std::ostringstream out, err;
    const std::filesystem::path before = std::filesystem::current_path();
    if (!in.empty()) std::filesystem::current_path(in);
    const int status = pray::RunPrayCli(arguments, out, err);
    std::filesystem::current_path(before);
    return {status, out.str(), err.str()};
}

// A block as a reader sees it: tags for the tag block types, bytes otherwise.
struct ReadBlock {
    std::string type;
    std::string name;
    pray::Tags tags;
    std::string bytes;
    bool operator==(const ReadBlock&) const = default;
};

inline std::vector<ReadBlock> ReadBlocks(const std::filesystem::path& package) {
    std::ifstream in(package, std::ios::binary);
    pray::PackageReader reader(in, ToUtf8(package.filename()));
    std::vector<ReadBlock> blocks;
    while (reader.Next()) {
        ReadBlock& block =
            blocks.emplace_back(ReadBlock{reader.header().type, reader.header().name, {}, {}});
        if (pray::IsTagBlockType(block.type)) {
            block.tags = reader.ReadTags();
        } else {
            reader.ReadData([&](std::string_view piece) { block.bytes += piece; });
        }
    }
    return blocks;
}

// Every file and folder below folder, as sorted relative paths.
inline std::vector<std::string> FilesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.push_back(ToUtf8(entry.path().lexically_relative(folder).generic_u8string()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A document: the language line, then these lines, each ended by CR LF.
inline std::string Document(const std::vector<std::string>& lines) {
    std::string text = "\"en-GB\"\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace ormel::test

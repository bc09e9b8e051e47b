#include "pray_test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "pray/package_reader.h"
#include "pray/pray_cli.h"

namespace fs = std::filesystem;

namespace ormel::test {

CliRun RunPray(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = pray::RunPrayCli(arguments, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::vector<ReadBlock> ReadBlocks(const fs::path& package) {
    std::ifstream in(package, std::ios::binary);
    pray::PackageReader reader(in, ToUtf8(package.filename()));
    std::vector<ReadBlock> blocks;
    while (reader.Next()) {
        ReadBlock block{reader.header().type, reader.header().name, {}, {}};
        if (pray::IsTagBlockType(block.type)) {
            block.tags = reader.ReadTags();
        } else {
            reader.ReadData([&](std::string_view piece) { block.bytes += piece; });
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

std::vector<std::string> FilesBelow(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(ToUtf8(entry.path().lexically_relative(folder).generic_u8string()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string BlockHeaderBytes(std::string type, std::string name, std::uint32_t stored,
                             std::uint32_t unstored, std::uint32_t flags) {
    auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    name.resize(128, '\0');
    return type + name + u32(stored) + u32(unstored) + u32(flags);
}

std::string Document(const std::vector<std::string>& lines) {
    std::string text = "\"en-GB\"\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace ormel::test

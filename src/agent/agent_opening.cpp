#include "agent/agent_opening.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "agent/agent_mapping.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_reader.h"
#include "pray/tag_block.h"

namespace ormel {
namespace {

namespace fs = std::filesystem;
using pray::BlockSource;

std::vector<BlockSource> PackageBlocks(const fs::path& path, const std::string& shown) {
    std::ifstream in = pray::OpenToRead(path, "cannot open the package", shown);
    pray::PackageReader reader(in, shown);
    std::vector<BlockSource> blocks;
    while (reader.Next()) {
        BlockSource& block = blocks.emplace_back();
        block.type = reader.header().type;
        block.name = reader.header().name;
        block.is_group = pray::IsTagBlockType(block.type);
        if (block.is_group) {
            const pray::Tags tags = reader.ReadTags();
            for (const auto& [key, value] : tags.integers)
                block.integers.push_back({key, value, {}});
            for (const auto& [key, value] : tags.strings)
                block.strings.push_back({key, value, std::nullopt, {}});
        } else {
            block.file.name = block.name;
            // Every block is read through, so that a damaged one refuses the package.
            reader.ReadData([](std::string_view) {});
        }
    }
    return blocks;
}

pray::Source DocumentSource(const fs::path& path, const std::string& shown) {
    std::ifstream in = pray::OpenToRead(path, "cannot open the document", shown);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return pray::ParseSource(text, shown);
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The package keeps the script's bytes, not its file's name: the name is
// that of the ".cos" file in the agent folder holding exactly these bytes
// (the first by name, when several do: they build the same package).
std::optional<std::string> ScriptNameInFolder(const fs::path& folder, const std::string& bytes) {
    std::error_code error;
    std::vector<fs::path> candidates;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = pray::PathText(entry.path().filename());
        if (name.ends_with(kCosExt) && entry.is_regular_file(error) &&
            !FirstCharacterOutsideCodePage(name) &&
            fs::file_size(entry.path(), error) == bytes.size())
            candidates.push_back(entry.path());
    }
    std::sort(candidates.begin(), candidates.end());
    for (const fs::path& candidate : candidates) {
        if (ReadBytes(candidate) != bytes) continue;
        const std::string name = pray::PathText(candidate.filename());
        return name.substr(0, name.size() - kCosExt.size());
    }
    return std::nullopt;
}

// The files that Compile copies from the agent folder and that are not there.
std::vector<std::string> MissingFiles(const OpenedAgent& agent, const fs::path& folder,
                                      bool script_known) {
    std::vector<std::string> names;
    for (const OpenedRow& row : agent.rows)
        if (row.used)
            names.push_back(row.file +
                            std::string(kFileExtensionEntries[std::size_t(*row.entry)].text));
    if (script_known) names.push_back(agent.cos_file + std::string(kCosExt));
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        std::error_code error;
        if (!fs::is_regular_file(folder / pray::PathFromUtf8(name), error))
            missing.push_back(JoinPath({agent.name, name}));
    }
    return missing;
}

// ".txt" in any letter case, as Windows names it.
bool IsDocument(const fs::path& path) {
    std::string extension = pray::PathText(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return extension == kDocumentExtension;
}

// A file that cannot be read (a damaged package, a document's error, a
// file missing) throws, and is refused in its own words.
AgentOpening Open(const std::string& path, const std::string& program_folder) {
    const fs::path file = pray::PathFromUtf8(path);
    const std::string shown = pray::PathText(file.filename());
    const bool document = IsDocument(file);
    AgentOpening opening;
    std::vector<BlockSource> blocks;
    if (document) {
        pray::Source source = DocumentSource(file, shown);
        opening.refusal = DocumentRefusal(source);
        blocks = std::move(source.blocks);
    } else {
        blocks = PackageBlocks(file, shown);
    }
    AgentMapping mapping = MapAgent(blocks, document);
    opening.refusal.insert(opening.refusal.end(), mapping.refusal.begin(), mapping.refusal.end());
    if (!opening.refusal.empty()) return opening;

    OpenedAgent agent = std::move(mapping.agent);
    const fs::path folder = pray::PathFromUtf8(program_folder) / pray::PathFromUtf8(agent.name);
    if (!document) {
        const std::optional<std::string> script = ScriptNameInFolder(folder, mapping.script_bytes);
        opening.script_unknown = !script;
        agent.cos_file = script.value_or("");
    }
    opening.missing = MissingFiles(agent, folder, !opening.script_unknown);
    opening.agent = std::move(agent);
    return opening;
}

}  // namespace

AgentOpening OpenAgent(const std::string& path, const std::string& program_folder) {
    try {
        return Open(path, program_folder);
    } catch (const std::exception& error) {
        AgentOpening opening;
        opening.refusal.push_back(error.what());
        return opening;
    }
}

void BringFiles(const AgentOpening&, const std::string&) {
    throw std::logic_error("bringing an agent's files is not built yet");
}

}  // namespace ormel

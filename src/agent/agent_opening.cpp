#include "agent/agent_opening.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "agent/agent_keys.h"
#include "agent/agent_mapping.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "pray/atomic_file.h"
#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_reader.h"
#include "pray/source_strings.h"
#include "pray/tag_block.h"

namespace ormel {
namespace {

namespace fs = std::filesystem;
using pray::BlockSource;

// The blocks of an opened file, and where the files that the form's rows and
// script name come from.
struct OpenedBlocks {
    std::vector<BlockSource> blocks;
    std::vector<std::string> refusal;
    bool document = false;
    // A document's folder, where its files lie.
    fs::path beside;
    // A package's file blocks: their bytes by name.
    std::map<std::string, std::string, std::less<>> file_bytes;
};

// A block's tags with each key once. A key given again with another value
// is more than the form can hold.
void AddTags(pray::Tags tags, BlockSource& block, std::vector<std::string>& refusal) {
    for (const pray::RepeatedKey& repeated : pray::RepeatedKeys(tags))
        if (!repeated.same_value)
            refusal.push_back(block.type + " " +
                              FromAnsiCodePage(pray::QuoteSourceString(block.name)) + ": the tag " +
                              FromAnsiCodePage(pray::QuoteSourceString(repeated.key)) +
                              " is given again with another value");
    tags = pray::WithoutRepeats(tags);
    for (auto& [key, value] : tags.integers) block.integers.push_back({key, value, {}});
    for (auto& [key, value] : tags.strings)
        block.strings.push_back({std::move(key), std::move(value), std::nullopt, {}});
}

OpenedBlocks PackageBlocks(std::istream& in, const std::string& shown) {
    pray::PackageReader reader(in, shown);
    OpenedBlocks opened;
    while (reader.Next()) {
        BlockSource& block = opened.blocks.emplace_back();
        block.type = reader.header().type;
        block.name = reader.header().name;
        block.is_group = pray::IsTagBlockType(block.type);
        if (block.is_group) {
            AddTags(reader.ReadTags(), block, opened.refusal);
            continue;
        }
        block.file.name = block.name;
        // Every block is read through, so that a damaged one refuses the
        // package; a file block's bytes are kept for bringing it along.
        std::string* bytes = block.type == agent_keys::kFileBlock
                                 ? &opened.file_bytes.try_emplace(block.name).first->second
                                 : nullptr;
        reader.ReadData([&](std::string_view piece) {
            if (bytes) bytes->append(piece);
        });
    }
    return opened;
}

OpenedBlocks DocumentBlocks(std::istream& in, const fs::path& path, const std::string& shown) {
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    pray::Source source = pray::ParseSource(text, shown);
    OpenedBlocks opened;
    opened.refusal = DocumentRefusal(source);
    opened.blocks = std::move(source.blocks);
    opened.document = true;
    opened.beside = path.parent_path();
    return opened;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file is a package when it starts with the package's mark, whatever its
// name; anything else is read as a source document.
OpenedBlocks ReadBlocks(const fs::path& path, const std::string& shown) {
    std::ifstream in = pray::OpenToRead(path, "cannot open the file", shown);
    char mark[4] = {};
    const bool package = in.read(mark, sizeof mark) && std::string_view(mark, 4) == "PRAY";
    in.clear();
    in.seekg(0);
    return package ? PackageBlocks(in, shown) : DocumentBlocks(in, path, shown);
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

// The names (UTF-8) of the used rows' files, in row order.
std::vector<std::string> RowFiles(const OpenedAgent& agent) {
    std::vector<std::string> names;
    for (const OpenedRow& row : agent.rows)
        if (row.used)
            names.push_back(row.file +
                            std::string(kFileExtensionEntries[std::size_t(*row.entry)].text));
    return names;
}

// The files that Compile copies from the agent folder and that are not there.
std::vector<std::string> MissingFiles(const OpenedAgent& agent, const fs::path& folder,
                                      bool script_known) {
    std::vector<std::string> names = RowFiles(agent);
    if (script_known) names.push_back(agent.cos_file + std::string(kCosExt));
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        std::error_code error;
        if (!fs::is_regular_file(folder / pray::PathFromUtf8(name), error))
            missing.push_back(JoinPath({agent.name, name}));
    }
    return missing;
}

// What the agent folder lacks and the opened file holds: listed to be
// brought, unless the folder has a file of that name with the same bytes
// (nothing to do) or with others (differing).
class Bringing {
  public:
    Bringing(AgentOpening& opening, const fs::path& folder) : opening_(opening), folder_(folder) {}

    // name_bytes: the file's name as the document or package spells it; it
    // is brought under the name unpacking would give it.
    void Offer(std::string_view name_bytes, const std::string& bytes) {
        const std::string name = pray::NameText(pray::SafeFileName(name_bytes));
        const fs::path target = folder_ / pray::PathFromUtf8(name);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(target, error))) {
            opening_.to_bring.push_back({name, bytes});
        } else if (!fs::is_regular_file(target, error) || ReadBytes(target) != bytes) {
            opening_.differing.push_back(JoinPath({opening_.agent->name, name}));
        }
    }

    // The package's script under a name of its own that neither the folder
    // nor a file row takes: that of unpacking.
    void OfferScript(const std::string& bytes) {
        const std::vector<std::string> rows = RowFiles(*opening_.agent);
        const std::string name = pray::NameText(pray::ScriptFileName(
            ToAnsiCodePage(opening_.agent->name), 1, [&](const std::string& candidate) {
                const fs::path path = pray::PathFromNameBytes(candidate);
                std::error_code error;
                return !fs::exists(fs::symlink_status(folder_ / path, error)) &&
                       std::none_of(rows.begin(), rows.end(), [&](const std::string& row) {
                           return pray::CompareNamesAsWindows(pray::PathFromUtf8(row), path) == 0;
                       });
            }));
        opening_.to_bring.push_back({name, bytes});
        opening_.brought_cos_file = name.substr(0, name.size() - kCosExt.size());
    }

  private:
    AgentOpening& opening_;
    fs::path folder_;
};

// A package's rows come from its file blocks, its script from its bytes.
void BringFromPackage(const OpenedBlocks& opened, const std::string& script, AgentOpening& opening,
                      Bringing& bringing) {
    for (const std::string& name : RowFiles(*opening.agent)) {
        const std::string bytes_name = ToAnsiCodePage(name);
        const auto file = opened.file_bytes.find(bytes_name);
        if (file != opened.file_bytes.end()) bringing.Offer(bytes_name, file->second);
    }
    if (opening.script_unknown) bringing.OfferScript(script);
}

// A document's files, its script's among them, lie beside it, if anywhere.
void BringFromDocument(const OpenedBlocks& opened, AgentOpening& opening, Bringing& bringing) {
    std::vector<std::string> names = RowFiles(*opening.agent);
    names.push_back(opening.agent->cos_file + std::string(kCosExt));
    for (const std::string& name : names) {
        const fs::path path = opened.beside / pray::PathFromUtf8(name);
        std::error_code error;
        if (fs::is_regular_file(path, error)) bringing.Offer(ToAnsiCodePage(name), ReadBytes(path));
    }
}

// A file that cannot be read (a damaged package, a document's error, a
// file missing) throws, and is refused in its own words.
AgentOpening Open(const std::string& path, const std::string& program_folder) {
    const fs::path file = pray::PathFromUtf8(path);
    const std::string shown = pray::PathText(file.filename());
    OpenedBlocks opened = ReadBlocks(file, shown);
    AgentOpening opening;
    opening.refusal = std::move(opened.refusal);
    AgentMapping mapping = MapAgent(opened.blocks, opened.document);
    opening.refusal.insert(opening.refusal.end(), mapping.refusal.begin(), mapping.refusal.end());
    if (!opening.refusal.empty()) return opening;

    opening.agent = std::move(mapping.agent);
    OpenedAgent& agent = *opening.agent;
    const fs::path folder = pray::PathFromUtf8(program_folder) / pray::PathFromUtf8(agent.name);
    if (!opened.document) {
        const std::optional<std::string> script = ScriptNameInFolder(folder, mapping.script_bytes);
        opening.script_unknown = !script;
        agent.cos_file = script.value_or("");
    }
    opening.missing = MissingFiles(agent, folder, !opening.script_unknown);
    Bringing bringing(opening, folder);
    if (opened.document) {
        BringFromDocument(opened, opening, bringing);
    } else {
        BringFromPackage(opened, mapping.script_bytes, opening, bringing);
    }
    return opening;
}

// Removes the files moved into place when a later one fails, and the agent
// folder when it was made for them.
class Undo {
  public:
    ~Undo() {
        if (done_) return;
        std::error_code ignored;  // the failure that got here is the one to report
        for (const fs::path& path : placed_) fs::remove(path, ignored);
        if (!made_folder_.empty()) fs::remove(made_folder_, ignored);
    }
    std::vector<fs::path> placed_;
    fs::path made_folder_;
    bool done_ = false;
};

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

void BringFiles(const AgentOpening& opening, const std::string& program_folder) {
    if (!opening.agent) throw std::logic_error("no agent is open to bring its files");
    if (!opening.differing.empty())
        throw pray::Error("cannot bring the agent's files: " + opening.differing.front() +
                          " differs from the opened agent's file of that name");
    if (opening.to_bring.empty()) return;
    const fs::path folder =
        pray::PathFromUtf8(program_folder) / pray::PathFromUtf8(opening.agent->name);
    Undo undo;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        if (!fs::create_directories(folder, error))
            throw pray::FileError("cannot create the folder", pray::PathText(folder),
                                  error.message());
        undo.made_folder_ = folder;
    }
    // Every file is written under a temporary name first; only when all are
    // complete do they take their names.
    std::vector<std::unique_ptr<pray::TemporaryFile>> written;
    for (const FileToBring& file : opening.to_bring) {
        const fs::path target = folder / pray::PathFromUtf8(file.name);
        written.push_back(std::make_unique<pray::TemporaryFile>(pray::TemporaryPathBeside(target)));
        pray::NewFile out(written.back()->path(), pray::PathText(target));
        out.Write(file.bytes);
        out.Close();
    }
    auto target = [&](std::size_t i) {
        return folder / pray::PathFromUtf8(opening.to_bring[i].name);
    };
    for (std::size_t i = 0; i < written.size(); ++i)
        if (fs::exists(fs::symlink_status(target(i), error)))
            throw pray::FileError("cannot write the file", pray::PathText(target(i)),
                                  "a file of that name came there after the agent was opened");
    for (std::size_t i = 0; i < written.size(); ++i) {
        fs::rename(written[i]->path(), target(i), error);
        if (error)
            throw pray::FileError("cannot write the file", pray::PathText(target(i)),
                                  error.message());
        written[i]->Release();
        undo.placed_.push_back(target(i));
    }
    undo.done_ = true;
}

}  // namespace ormel

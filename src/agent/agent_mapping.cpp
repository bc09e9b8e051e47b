#include "agent/agent_mapping.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "agent/agent_keys.h"
#include "agent/agent_write_back.h"
#include "agent/pray_source_writer.h"
#include "platform/text_encoding.h"
#include "pray/errors.h"

namespace ormel {
namespace {

using pray::BlockSource;
using pray::StringTagSource;
using Lines = std::vector<std::string>;

using namespace agent_keys;

// The bytes of a name or value as messages show them: in double quotes,
// escaped as the source language escapes them, read in the code page.
std::string Shown(std::string_view bytes) {
    return FromAnsiCodePage(pray::QuoteSourceString(bytes));
}

std::string Described(const BlockSource& block) {
    return block.type + " " + Shown(block.name);
}

// The text that the form, writing it unchanged between double quotes, gives
// the builder as exactly these bytes; none when the form cannot show it (a
// control character, a byte the code page does not read back).
std::optional<std::string> QuotedText(std::string_view bytes) {
    const std::string quoted = pray::QuoteSourceString(bytes);
    const std::string_view inner = std::string_view(quoted).substr(1, quoted.size() - 2);
    const bool control = std::any_of(inner.begin(), inner.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (control) return std::nullopt;
    std::string text = FromAnsiCodePage(inner);
    if (ToAnsiCodePage(text) != inner) return std::nullopt;
    return text;
}

// As QuotedText, for a name that the build also uses as a file's or folder's
// name: one that needs an escape, or leads out of its folder, the build
// refuses.
std::optional<std::string> FileNameText(std::string_view bytes) {
    std::optional<std::string> text = QuotedText(bytes);
    if (text && (text->find_first_of("/\\") != std::string::npos || *text == "." || *text == ".."))
        return std::nullopt;
    return text;
}

// The number after prefix in a key such as "Dependency 3", if it is one.
std::optional<std::int64_t> NumberAfter(std::string_view key, std::string_view prefix) {
    if (!key.starts_with(prefix) || key.size() == prefix.size() || key[prefix.size()] == '0')
        return std::nullopt;
    std::int64_t number = 0;
    const char* end = key.data() + key.size();
    const auto [stop, error] = std::from_chars(key.data() + prefix.size(), end, number);
    if (error != std::errc() || stop != end) return std::nullopt;
    return number;
}

// The agent block's tags, taken one key at a time; what is left at the end
// is a tag the form never writes.
class AgentTags {
  public:
    AgentTags(const BlockSource& block, Lines& refusal) : block_(block), refusal_(refusal) {}

    std::optional<std::int32_t> Integer(std::string_view key) {
        known_.emplace(key);
        for (const auto& tag : block_.integers)
            if (tag.key == key) return tag.value;
        Absent(key, "text; the form writes a number");
        return std::nullopt;
    }

    // A string tag's bytes; none, with a line, when it is missing, a number,
    // or (but for the script) taken from a file.
    const StringTagSource* String(std::string_view key) {
        known_.emplace(key);
        for (const auto& tag : block_.strings) {
            if (tag.key != key) continue;
            if (tag.file && key != kScript) {
                refusal_.push_back("the tag " + Shown(key) + " takes its value from the file " +
                                   Shown(tag.file->name) + "; the form writes it as text");
                return nullptr;
            }
            return &tag;
        }
        Absent(key, "a number; the form writes text");
        return nullptr;
    }

    bool Has(std::string_view key) const {
        return HasInteger(key) || std::any_of(block_.strings.begin(), block_.strings.end(),
                                              [&](const auto& tag) { return tag.key == key; });
    }

    // A tag that the form leaves out when its value is empty: absent, it is
    // the empty text.
    std::optional<std::string> OptionalText(std::string_view key) {
        known_.emplace(key);
        if (!Has(key)) return std::string();
        return Text(key);
    }

    // A key asked for, though its tag is taken apart elsewhere.
    void Know(std::string_view key) { known_.emplace(key); }

    // A tag the form never writes in this block, with the reason.
    void Refuse(std::string_view key, const std::string& why) {
        known_.emplace(key);
        if (Has(key)) refusal_.push_back("the tag " + Shown(key) + " " + why);
    }

    // A string tag as the text the form shows.
    std::optional<std::string> Text(std::string_view key) {
        const StringTagSource* tag = String(key);
        if (!tag) return std::nullopt;
        std::optional<std::string> text = QuotedText(tag->value);
        if (!text) CannotShow(key);
        return text;
    }

    void CannotShow(std::string_view key) {
        refusal_.push_back("the tag " + Shown(key) +
                           " holds a character that the form cannot show");
    }

    bool HasInteger(std::string_view key) const {
        return std::any_of(block_.integers.begin(), block_.integers.end(),
                           [&](const auto& tag) { return tag.key == key; });
    }

    // Lines for the keys never asked for, apart from the numbered ones that
    // a count already refused.
    void RefuseTheRest(std::int64_t dependencies, std::int64_t scripts) {
        auto rest = [&](const std::string& key) {
            if (known_.count(key)) return;
            for (const auto& [prefix, count] : {std::pair{kCategory, dependencies},
                                                {kDependency, dependencies},
                                                {kScriptKey, scripts}}) {
                const auto number = NumberAfter(key, prefix);
                if (number && *number <= count) return;
            }
            refusal_.push_back("the tag " + Shown(key) + " is not one the form writes");
        };
        for (const auto& tag : block_.integers) rest(tag.key);
        for (const auto& tag : block_.strings) rest(tag.key);
    }

  private:
    void Absent(std::string_view key, const std::string& other_kind) {
        refusal_.push_back("the tag " + Shown(key) +
                           (Has(key) ? " is " + other_kind : " is missing"));
    }

    const BlockSource& block_;
    Lines& refusal_;
    std::set<std::string, std::less<>> known_;
};

// From the blocks to the form's values: every check is a line of the
// refusal, so that one reading lists everything that does not fit.
class Mapping {
  public:
    Mapping(const std::vector<BlockSource>& blocks, bool document)
        : blocks_(blocks), document_(document) {}

    Lines refusal;
    OpenedAgent agent;
    std::string script_bytes;               // a package's script
    std::vector<std::string> dependencies;  // their bytes, in order

    void Run() {
        const BlockSource* agent_block = FindAgent();
        if (!agent_block) return;
        AgentName(*agent_block);
        AgentTags tags(*agent_block, refusal);
        if (const auto type = tags.Integer(kAgentType); type && *type != 0)
            refusal.push_back("the tag " + Shown(kAgentType) + " is " + std::to_string(*type) +
                              "; the form writes 0");
        if (auto text = tags.OptionalText(kDescription)) agent.description = *text;
        if (tags.Has(kFirstImage))
            if (const auto number = tags.Integer(kFirstImage))
                agent.first_image = std::to_string(*number);
        const std::int64_t count = Dependencies(tags);
        const std::int64_t scripts = Script(tags);
        // The later edition's block leaves out the lines whose value is
        // empty, and has no bio-energy; the first edition's has every line.
        const bool later = agent.block == kDsagBlock;
        Image(tags, later);
        auto text = [&](std::string_view key) {
            return later ? tags.OptionalText(key) : tags.Text(key);
        };
        if (auto animation = text(kAnimationString)) agent.animation = *animation;
        if (auto remove = text(kRemoveScript)) agent.remove_script = *remove;
        if (later) {
            agent.bioenergy.clear();
            tags.Refuse(kBioenergy, "is not one the form writes in a DSAG block, only in AGNT");
        } else {
            Bioenergy(tags);
        }
        tags.RefuseTheRest(count, scripts);
        Files();
    }

  private:
    // The one agent block, of either edition, wherever it stands.
    const BlockSource* FindAgent() {
        const BlockSource* agent_block = nullptr;
        for (const BlockSource& block : blocks_) {
            const bool agent_kind =
                block.is_group && std::find(kAgentBlockEntries.begin(), kAgentBlockEntries.end(),
                                            block.type) != kAgentBlockEntries.end();
            const bool file_kind = !block.is_group && block.type == kFileBlock;
            if (!agent_kind && !file_kind) {
                refusal.push_back(Described(block) +
                                  " is another kind of block than an agent (AGNT, DSAG) or a "
                                  "file (FILE)");
            } else if (agent_kind && agent_block) {
                refusal.push_back(Described(block) + " is a second agent; the form holds one");
            } else if (agent_kind) {
                agent_block = &block;
                agent.block = block.type;
            }
        }
        if (!agent_block) refusal.push_back("there is no agent (AGNT or DSAG) block");
        return agent_block;
    }

    void AgentName(const BlockSource& block) {
        const std::optional<std::string> name = FileNameText(block.name);
        if (block.name.empty()) {
            refusal.push_back("the agent has no name");
        } else if (!name) {
            refusal.push_back("the agent's name " + Shown(block.name) +
                              " cannot be the name of its folder");
        } else {
            agent.name = *name;
        }
    }

    std::int64_t Dependencies(AgentTags& tags) {
        const std::optional<std::int32_t> count = tags.Integer(kDependencyCount);
        if (!count) return 0;
        if (*count < 0) {
            refusal.push_back("the tag " + Shown(kDependencyCount) + " is " +
                              std::to_string(*count) + "; the form writes 0 to 6");
            return 0;
        }
        if (*count > kSlotCount) {
            refusal.push_back("the agent has " + std::to_string(*count) +
                              " dependencies; the form has six file rows");
            return *count;
        }
        for (int k = 1; k <= *count; ++k) {
            const StringTagSource* name = tags.String(std::string(kDependency) + std::to_string(k));
            const auto category = tags.Integer(std::string(kCategory) + std::to_string(k));
            if (name && category) Row(k, name->value, *category);
        }
        return *count;
    }

    // File row k: the file's name, and the entry of the type list whose
    // category the dependency has and whose text ends the name.
    void Row(int k, const std::string& name, int category) {
        dependencies.push_back(name);
        const std::string shown = "dependency " + std::to_string(k) + " " + Shown(name);
        std::optional<int> entry;
        for (int e = 0; e < int(kFileExtensionEntries.size()); ++e) {
            const ExtensionEntry& candidate = kFileExtensionEntries[std::size_t(e)];
            if (candidate.category == category && name.ends_with(candidate.text)) entry = e;
        }
        if (!entry) {
            refusal.push_back(shown + " of category " + std::to_string(category) +
                              ": no type in a file row's list has this category and ends the name");
            return;
        }
        const std::string_view ext = kFileExtensionEntries[std::size_t(*entry)].text;
        const std::optional<std::string> file = FileNameText(name);
        if (!file) {
            refusal.push_back(shown + " cannot be the name of a file in the agent folder");
            return;
        }
        agent.rows[std::size_t(k - 1)] = {true, file->substr(0, file->size() - ext.size()), entry};
    }

    std::int64_t Script(AgentTags& tags) {
        const std::optional<std::int32_t> count = tags.Integer(kScriptCount);
        if (count && *count > 1) {
            refusal.push_back("the agent has " + std::to_string(*count) +
                              " scripts; the form holds one");
        } else if (count && *count != 1) {
            refusal.push_back("the tag " + Shown(kScriptCount) + " is " + std::to_string(*count) +
                              "; the form writes 1");
        }
        const StringTagSource* script = tags.String(kScript);
        if (script && !document_) script_bytes = script->value;
        if (script && document_) ScriptFile(*script);
        return count ? *count : 1;
    }

    // A document names the script's file: "{script}.cos".
    void ScriptFile(const StringTagSource& script) {
        if (!script.file) {
            refusal.push_back(
                "the script is written out in the document; the form names its "
                "file");
            return;
        }
        const std::string& name = script.file->name;
        const std::optional<std::string> file = FileNameText(name);
        if (!name.ends_with(kCosExt) || !file) {
            refusal.push_back("the script's file " + Shown(name) +
                              " is not a name of a .cos file in the agent folder");
            return;
        }
        agent.cos_file = file->substr(0, file->size() - kCosExt.size());
    }

    // The form writes the image's name in the gallery and, followed by its
    // extension, in the animation file. A DSAG block without either line has
    // no image; the extension stays the form's first.
    void Image(AgentTags& tags, bool later) {
        const bool has_file = tags.Has(kAnimationFile), has_gallery = tags.Has(kGallery);
        if (later && !has_file && !has_gallery) {
            agent.image.clear();
            agent.image_ext = kFormDefaults.image_ext;
            return;
        }
        if (later && has_file != has_gallery) {
            const std::string_view given = has_file ? kAnimationFile : kGallery;
            const std::string_view lacking = has_file ? kGallery : kAnimationFile;
            tags.Know(given);
            tags.Know(lacking);
            refusal.push_back("the tag " + Shown(given) + " comes without " + Shown(lacking) +
                              "; the form writes both or neither");
            return;
        }
        const StringTagSource* file = tags.String(kAnimationFile);
        const StringTagSource* gallery = tags.String(kGallery);
        if (!file || !gallery) return;
        if (!file->value.starts_with(gallery->value)) {
            refusal.push_back("the tag " + Shown(kAnimationFile) + " does not start with the " +
                              "image's name in " + Shown(kGallery));
            return;
        }
        const auto image = QuotedText(gallery->value);
        const auto ext = QuotedText(std::string_view(file->value).substr(gallery->value.size()));
        if (!image) tags.CannotShow(kGallery);
        if (!ext) tags.CannotShow(kAnimationFile);
        if (image && ext) agent.image = *image, agent.image_ext = *ext;
    }

    // The form writes the bio-energy bare: a number reads back as one, and a
    // text typed in double quotes as a string.
    void Bioenergy(AgentTags& tags) {
        if (tags.HasInteger(kBioenergy)) {
            agent.bioenergy = std::to_string(*tags.Integer(kBioenergy));
            return;
        }
        const StringTagSource* text = tags.String(kBioenergy);
        if (!text) return;
        const std::string quoted = pray::QuoteSourceString(text->value);
        if (QuotedText(text->value)) {
            agent.bioenergy = FromAnsiCodePage(quoted);
        } else {
            tags.CannotShow(kBioenergy);
        }
    }

    // Each used file row adds its file; the files may stand in any order.
    void Files() {
        std::vector<std::string> files;
        for (const BlockSource& block : blocks_) {
            if (block.is_group || block.type != kFileBlock) continue;
            files.push_back(block.name);
            if (block.file.name != block.name)
                refusal.push_back(Described(block) + " takes its bytes from the file " +
                                  Shown(block.file.name) + "; the form names both alike");
        }
        if (files.size() > std::size_t(kSlotCount)) {
            refusal.push_back("there are " + std::to_string(files.size()) +
                              " files; the form has six file rows");
            return;
        }
        auto holds = [](const std::vector<std::string>& names, const std::string& name) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        for (const std::string& name : dependencies) {
            if (holds(files, name)) continue;
            refusal.push_back("the dependency " + Shown(name) +
                              " comes without its file; each file row adds its file");
        }
        for (const std::string& name : files) {
            if (holds(dependencies, name)) continue;
            refusal.push_back("the file " + Shown(name) +
                              " is no dependency of the agent; each file row makes its file one");
        }
    }

    const std::vector<BlockSource>& blocks_;
    bool document_;
};

}  // namespace

AgentMapping MapAgent(const std::vector<BlockSource>& blocks, bool document) {
    Mapping mapping(blocks, document);
    mapping.Run();
    if (mapping.refusal.empty())
        CheckWritesTheSame(mapping.agent, blocks, document, mapping.refusal);
    return {std::move(mapping.agent), std::move(mapping.refusal), std::move(mapping.script_bytes)};
}

std::vector<std::string> DocumentRefusal(const pray::Source& source) {
    std::vector<std::string> lines;
    if (source.utf8)
        lines.push_back(
            "the document starts with a UTF-8 byte-order mark, which the form never "
            "writes");
    if (source.language != kLanguage)
        lines.push_back("the language is " + Shown(source.language) + "; the form writes " +
                        Shown(kLanguage));
    return lines;
}

}  // namespace ormel

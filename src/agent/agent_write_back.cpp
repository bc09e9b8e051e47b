#include "agent/agent_write_back.h"

#include <algorithm>
#include <tuple>

#include "agent/agent_keys.h"
#include "agent/pray_source_writer.h"
#include "platform/text_encoding.h"
#include "pray/errors.h"

namespace ormel {
namespace {

using agent_keys::kScript;
using pray::BlockSource;
using pray::StringTagSource;

// The opened values as the document writer reads them.
class OpenedSlot final : public FileSlot {
  public:
    OpenedSlot(const OpenedRow& row, int number) : row_(row), number_(number) {}
    CheckValue Check() const override {
        return row_.used ? CheckValue::Checked : CheckValue::Clear;
    }
    std::string File() const override { return row_.file; }
    std::string File_Ext() const override {
        return row_.entry ? std::string(kFileExtensionEntries[std::size_t(*row_.entry)].text) : "";
    }
    std::optional<int> ChosenCategory() const override {
        if (!row_.entry) return std::nullopt;
        return kFileExtensionEntries[std::size_t(*row_.entry)].category;
    }
    int Number() const override { return number_; }

  private:
    const OpenedRow& row_;
    int number_;
};

class OpenedDescription final : public AgentDescription {
  public:
    explicit OpenedDescription(const OpenedAgent& agent) : agent_(agent) {
        for (int n = 1; n <= kSlotCount; ++n)
            slots_.emplace_back(agent.rows[std::size_t(n - 1)], n);
    }
    std::string Name() const override { return agent_.name; }
    std::string COS_File() const override { return agent_.cos_file; }
    const FileSlot& Files(int n) const override { return slots_.at(std::size_t(n - 1)); }
    std::string Image() const override { return agent_.image; }
    std::string Image_Ext() const override { return agent_.image_ext; }
    std::string Animation() const override { return agent_.animation; }
    std::string Bioenergy() const override { return agent_.bioenergy; }
    std::string Remove_Script() const override { return agent_.remove_script; }
    std::string Block() const override { return agent_.block; }
    std::string Description() const override { return agent_.description; }
    std::string First_Image() const override { return agent_.first_image; }

  private:
    const OpenedAgent& agent_;
    std::vector<OpenedSlot> slots_;
};

class DocumentText final : public TextLineSink {
  public:
    void WriteLine(std::string_view line) override {
        text += ToAnsiCodePage(line);
        text += "\r\n";
    }
    void Close() override {}
    std::string text;
};

bool SameTags(const BlockSource& a, const BlockSource& b, bool compare_script) {
    if (a.is_group != b.is_group || a.type != b.type || a.name != b.name ||
        a.integers.size() != b.integers.size() || a.strings.size() != b.strings.size())
        return false;
    for (std::size_t i = 0; i < a.integers.size(); ++i)
        if (a.integers[i].key != b.integers[i].key || a.integers[i].value != b.integers[i].value)
            return false;
    for (std::size_t i = 0; i < a.strings.size(); ++i) {
        const StringTagSource &x = a.strings[i], &y = b.strings[i];
        if (x.key != y.key) return false;
        if (x.key == kScript && !compare_script) continue;
        if (x.value != y.value || x.file.has_value() != y.file.has_value() ||
            (x.file && x.file->name != y.file->name))
            return false;
    }
    return true;
}

// Blocks in order of kind, type and name, and each block's tags in order of
// key: the order in which a document or package gives them is free.
std::vector<BlockSource> Ordered(std::vector<BlockSource> blocks) {
    auto by_key = [](const auto& x, const auto& y) { return x.key < y.key; };
    for (BlockSource& block : blocks) {
        std::stable_sort(block.integers.begin(), block.integers.end(), by_key);
        std::stable_sort(block.strings.begin(), block.strings.end(), by_key);
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const auto& x, const auto& y) {
        return std::tie(y.is_group, x.type, x.name) < std::tie(x.is_group, y.type, y.name);
    });
    return blocks;
}

}  // namespace

void CheckWritesTheSame(const OpenedAgent& agent, const std::vector<BlockSource>& blocks,
                        bool document, std::vector<std::string>& refusal) {
    DocumentText text;
    WritePraySource(OpenedDescription(agent), text);
    std::vector<BlockSource> written;
    try {
        written = pray::ParseSource(text.text, "").blocks;
    } catch (const pray::Error&) {
    }
    const std::vector<BlockSource> opened = Ordered(blocks);
    written = Ordered(std::move(written));
    const bool same =
        written.size() == opened.size() &&
        std::equal(written.begin(), written.end(), opened.begin(),
                   [&](const auto& x, const auto& y) { return SameTags(x, y, document); });
    if (!same) refusal.push_back("the form would write the agent's values otherwise");
}

}  // namespace ormel

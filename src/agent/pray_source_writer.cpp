#include "agent/pray_source_writer.h"

#include <cstdint>
#include <string>

#include "agent/agent_keys.h"

namespace ormel {
namespace {

using namespace agent_keys;

std::string SlotFileName(const FileSlot& slot) {
    return slot.File() + slot.File_Ext();
}

}  // namespace

// Built by appending: GCC 12 at -O3 takes the insert of "\"" + string for
// an overlapping copy.
std::string Quoted(std::string_view value) {
    std::string text;
    text.reserve(value.size() + 2);
    text += '"';
    text += value;
    text += '"';
    return text;
}

void WritePraySource(const AgentDescription& description, TextLineSink& sink) {
    auto line = [&sink](const std::string& text) { sink.WriteLine(text); };
    auto forEachUsedSlot = [&description](auto&& visit) {
        for (int n = 1; n <= kSlotCount; ++n) {
            const FileSlot& slot = description.Files(n);
            if (slot.Used()) visit(slot);
        }
    };

    // The later edition's block has no bio-energy value and leaves out the
    // lines whose value is empty; the first edition's writes every line.
    const std::string block = description.Block();
    const bool later_edition = block == kDsagBlock;
    auto optional_line = [&](bool empty, const std::string& text) {
        if (!(later_edition && empty)) line(text);
    };

    line(Quoted(kLanguage));
    line("");
    line("group " + block + " " + Quoted(description.Name()));
    line("");
    line(Quoted(kAgentType) + " 0");
    if (const std::string text = description.Description(); !text.empty())
        line(Quoted(kDescription) + " " + Quoted(text));
    if (const std::string number = description.First_Image(); !number.empty())
        line(Quoted(kFirstImage) + " " + number);
    line("");

    // The running number of the used slots; restarted for each counted pass
    // so that the k-th dependency, its category and its inline line agree.
    std::int16_t MyNum = 0;
    forEachUsedSlot([&](const FileSlot&) { ++MyNum; });
    line(Quoted(kDependencyCount) + " " + std::to_string(MyNum));
    line("");

    MyNum = 0;
    forEachUsedSlot([&](const FileSlot& slot) {
        ++MyNum;
        line(Quoted(std::string(kDependency) + std::to_string(MyNum)) + " " +
             Quoted(SlotFileName(slot)));
    });
    line("");

    MyNum = 0;
    forEachUsedSlot([&](const FileSlot& slot) {
        ++MyNum;
        line(Quoted(std::string(kCategory) + std::to_string(MyNum)) + " " +
             std::to_string(slot.Category()));
    });
    line("");

    line(Quoted(kScriptCount) + " 1");
    line("");
    line(Quoted(kScript) + " @ " + Quoted(description.COS_File() + ".cos"));
    line("");
    const std::string image = description.Image();
    optional_line(image.empty(),
                  Quoted(kAnimationFile) + " " + Quoted(image + description.Image_Ext()));
    optional_line(image.empty(), Quoted(kGallery) + " " + Quoted(image));
    const std::string animation = description.Animation();
    optional_line(animation.empty(), Quoted(kAnimationString) + " " + Quoted(animation));
    line("");
    if (!later_edition) {
        line(Quoted(kBioenergy) + " " + description.Bioenergy());
        line("");
    }
    const std::string remove = description.Remove_Script();
    if (!(later_edition && remove.empty())) {
        line(Quoted(kRemoveScript) + " " + Quoted(remove));
        line("");
    }

    forEachUsedSlot([&](const FileSlot& slot) {
        const std::string file = SlotFileName(slot);
        line("inline " + std::string(kFileBlock) + " " + Quoted(file) + " " + Quoted(file));
    });
    line("");

    sink.Close();
}

}  // namespace ormel

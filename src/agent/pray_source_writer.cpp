#include "agent/pray_source_writer.h"

#include <cstdint>
#include <string>

namespace ormel {
namespace {

std::string Quoted(std::string_view value) {
    std::string text;
    text.reserve(value.size() + 2);
    text += '"';
    text += value;
    text += '"';
    return text;
}

std::string SlotFileName(const FileSlot& slot) {
    return slot.File() + slot.File_Ext();
}

}  // namespace

void WritePraySource(const AgentDescription& description, TextLineSink& sink) {
    auto line = [&sink](const std::string& text) { sink.WriteLine(text); };
    auto forEachUsedSlot = [&description](auto&& visit) {
        for (int n = 1; n <= kSlotCount; ++n) {
            const FileSlot& slot = description.Files(n);
            if (slot.Used()) visit(slot);
        }
    };

    line(Quoted("en-GB"));
    line("");
    line("group AGNT " + Quoted(description.Name()));
    line("");
    line(Quoted("Agent Type") + " 0");
    line("");

    // The running number of the used slots; restarted for each counted pass
    // so that the k-th dependency, its category and its inline line agree.
    std::int16_t MyNum = 0;
    forEachUsedSlot([&](const FileSlot&) { ++MyNum; });
    line(Quoted("Dependency Count") + " " + std::to_string(MyNum));
    line("");

    MyNum = 0;
    forEachUsedSlot([&](const FileSlot& slot) {
        ++MyNum;
        line(Quoted("Dependency " + std::to_string(MyNum)) + " " + Quoted(SlotFileName(slot)));
    });
    line("");

    MyNum = 0;
    forEachUsedSlot([&](const FileSlot& slot) {
        ++MyNum;
        line(Quoted("Dependency Category " + std::to_string(MyNum)) + " " +
             std::to_string(slot.Category()));
    });
    line("");

    line(Quoted("Script Count") + " 1");
    line("");
    line(Quoted("Script 1") + " @ " + Quoted(description.COS_File() + ".cos"));
    line("");
    const std::string image = description.Image();
    line(Quoted("Agent Animation File") + " " + Quoted(image + description.Image_Ext()));
    line(Quoted("Agent Animation Gallery") + " " + Quoted(image));
    line(Quoted("Agent Animation String") + " " + Quoted(description.Animation()));
    line("");
    line(Quoted("Agent Bioenergy Value") + " " + description.Bioenergy());
    line("");
    line(Quoted("Remove script") + " " + Quoted(description.Remove_Script()));
    line("");

    forEachUsedSlot([&](const FileSlot& slot) {
        const std::string file = SlotFileName(slot);
        line("inline FILE " + Quoted(file) + " " + Quoted(file));
    });
    line("");

    sink.Close();
}

}  // namespace ormel

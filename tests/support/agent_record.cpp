#include "support/agent_record.h"

#include <stdexcept>

namespace ormel::test {

AgentRecord::AgentRecord() {
    for (int n = 1; n <= kSlotCount; ++n) Slot(n).number = n;
}

void AgentRecord::Pick(int n, std::string file, std::string_view ext) {
    SlotRecord& slot = Slot(n);
    for (const auto& entry : kFileExtensionEntries) {
        if (entry.text == ext) {
            slot.check = CheckValue::Checked;
            slot.file = std::move(file);
            slot.ext = std::string(ext);
            slot.category = entry.category;
            return;
        }
    }
    throw std::invalid_argument("not an entry of the extension list: " + std::string(ext));
}

void AgentRecord::Type(int n, std::string file, std::string ext) {
    SlotRecord& slot = Slot(n);
    slot.check = CheckValue::Checked;
    slot.file = std::move(file);
    slot.ext = std::move(ext);
    slot.category.reset();
}

AgentRecord Lantern() {
    AgentRecord agent;
    agent.name = "Lantern";
    agent.cos_file = "lantern";
    agent.Pick(2, "lantern", ".c16");
    agent.Pick(5, "glow", ".wav");
    agent.image = "lantern";
    agent.image_ext = ".c16";
    agent.animation = "0";
    agent.bioenergy = "20";
    agent.remove_script = "enum CLASS kill targ next";
    return agent;
}

}  // namespace ormel::test

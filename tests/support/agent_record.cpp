#include "support/agent_record.h"

namespace ormel::test {

AgentRecord::AgentRecord() {
    for (int n = 1; n <= kSlotCount; ++n) Slot(n).number = n;
}

SlotRecord& AgentRecord::Use(int n, std::string file, std::string ext) {
    SlotRecord& slot = Slot(n);
    slot.check = CheckValue::Checked;
    slot.category.reset();
    for (const auto& entry : kFileExtensionEntries) {
        if (entry.text == ext) slot.category = entry.category;
    }
    slot.file = std::move(file);
    slot.ext = std::move(ext);
    return slot;
}

AgentRecord Lantern() {
    AgentRecord agent;
    agent.name = "Lantern";
    agent.cos_file = "lantern";
    agent.Use(2, "lantern", ".c16");
    agent.Use(5, "glow", ".wav");
    agent.image = "lantern";
    agent.bioenergy = "20";  // the rest as a fresh form holds them
    return agent;
}

}  // namespace ormel::test

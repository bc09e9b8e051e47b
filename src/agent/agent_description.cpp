#include "agent/agent_description.h"

namespace ormel {

MissingCategory::MissingCategory(int slot)
    : std::runtime_error("file row " + std::to_string(slot) +
                         " has no extension chosen from its list"),
      slot_(slot) {}

int FileSlot::Category() const {
    if (auto code = ChosenCategory()) return *code;
    throw MissingCategory(Number());
}

}  // namespace ormel

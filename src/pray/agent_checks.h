// What the game expects of an agent block's content, beyond the syntax:
// counted tags ("Dependency Count" with "Dependency 1" to "Dependency N",
// "Script Count" with its scripts) and the dependencies' categories.
#pragma once

#include "pray/source_parser.h"

namespace ormel::pray {

// Adds a warning to source for each counted tag of the group that does not
// match its count, each dependency without its category and each category
// outside 0 to 11.
void CheckAgentTags(const BlockSource& group, Source& source);

}  // namespace ormel::pray

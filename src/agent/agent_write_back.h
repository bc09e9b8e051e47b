// Whether the form, filled with opened values, writes the blocks that were
// opened: the writer is run on the values and its document read back, tag
// for tag, in whatever order the blocks and tags were given.
#pragma once

#include <string>
#include <vector>

#include "agent/agent_opening.h"
#include "pray/source_parser.h"

namespace ormel {

// Adds a refusal line when the written blocks differ from the opened ones.
// document: the blocks came from a source document, whose script is named by
// its file; a package's script bytes are not compared.
void CheckWritesTheSame(const OpenedAgent& agent, const std::vector<pray::BlockSource>& blocks,
                        bool document, std::vector<std::string>& refusal);

}  // namespace ormel

// The document writer run backwards: the blocks of a package or a source
// document, as the source parser gives them, to the values the form holds,
// or the lines of what does not fit. What it accepts, written again, reads
// back as the same blocks and tags; the order of the blocks and of the tags
// in a block is free, and the form writes its own.
#pragma once

#include <string>
#include <vector>

#include "agent/agent_opening.h"
#include "pray/source_parser.h"

namespace ormel {

struct AgentMapping {
    OpenedAgent agent;
    // One line for each thing that does not fit; empty when the form holds it.
    std::vector<std::string> refusal;
    // A package's script: its bytes, as the package keeps no file name.
    std::string script_bytes;
};

// document: the blocks are a source document's, whose script is named by its
// file; a package's blocks hold the script's bytes, and the script's name is
// left empty.
AgentMapping MapAgent(const std::vector<pray::BlockSource>& blocks, bool document);

// What a document holds that the form never writes so: a byte-order mark,
// another language.
std::vector<std::string> DocumentRefusal(const pray::Source& source);

}  // namespace ormel

// Turns an agent description into the source document that PRAY.exe reads.
#pragma once

#include <string>
#include <string_view>

#include "agent/agent_description.h"
#include "platform/text_line_sink.h"

namespace ormel {

// Writes the whole document (23 lines plus 3 for each used slot) and closes
// the sink. Any failure (a used slot without a category, a failed write or
// close) propagates at once, leaving the lines written so far in the sink and
// the sink open.
void WritePraySource(const AgentDescription& description, TextLineSink& sink);

// The value between double quotes, unchanged, as the document writes it.
std::string Quoted(std::string_view value);

}  // namespace ormel

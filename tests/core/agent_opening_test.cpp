// Packages and documents that the form cannot hold, from opening/: NAME.txt
// or NAME.agent, and NAME.expected with the lines of the refusal; none for a
// case that the form holds.
#include "agent/agent_opening.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

TEST(AgentOpening, RefusesWhatTheFormCannotHoldLineByLine) {
    for (const fs::directory_entry& entry : fs::directory_iterator(ORMEL_OPENING_CASES)) {
        const fs::path& input = entry.path();
        if (input.extension() == ".expected") continue;
        SCOPED_TRACE(ToUtf8(input.filename()));
        const AgentOpening opening = OpenAgent(ToUtf8(input), ToUtf8(input.parent_path()));
        std::string lines;
        for (const std::string& line : opening.refusal) lines += line + "\n";
        EXPECT_EQ(lines, ReadBytes(fs::path(input).replace_extension(".expected")));
    }
}

}  // namespace
}  // namespace ormel::test

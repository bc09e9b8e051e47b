#include "build/pray_source_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/agent_record.h"

namespace ormel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Keeps the lines in memory; optionally fails the write of one line.
class RecordingSink : public TextLineSink {
  public:
    std::vector<std::string> lines;
    bool closed = false;
    int failAtLine = 0;  // 1-based; 0 never fails

    void WriteLine(std::string_view text) override {
        if (closed) throw std::logic_error("write after close");
        if (static_cast<int>(lines.size()) + 1 == failAtLine) throw std::runtime_error("disk full");
        lines.emplace_back(text);
    }
    void Close() override { closed = true; }
};

std::vector<std::string> Write(const AgentRecord& agent) {
    RecordingSink sink;
    WritePraySource(agent, sink);
    EXPECT_TRUE(sink.closed);
    return sink.lines;
}

TEST(PraySourceWriter, WritesTheLanternExampleLineForLine) {
    EXPECT_THAT(Write(Lantern()), ElementsAreArray<std::string>({
                                      R"("en-GB")",
                                      "",
                                      R"(group AGNT "Lantern")",
                                      "",
                                      R"("Agent Type" 0)",
                                      "",
                                      R"("Dependency Count" 2)",
                                      "",
                                      R"("Dependency 1" "lantern.c16")",
                                      R"("Dependency 2" "glow.wav")",
                                      "",
                                      R"("Dependency Category 1" 2)",
                                      R"("Dependency Category 2" 1)",
                                      "",
                                      R"("Script Count" 1)",
                                      "",
                                      R"("Script 1" @ "lantern.cos")",
                                      "",
                                      R"("Agent Animation File" "lantern.c16")",
                                      R"("Agent Animation Gallery" "lantern")",
                                      R"("Agent Animation String" "0")",
                                      "",
                                      R"("Agent Bioenergy Value" 20)",
                                      "",
                                      R"("Remove script" "enum CLASS kill targ next")",
                                      "",
                                      R"(inline FILE "lantern.c16" "lantern.c16")",
                                      R"(inline FILE "glow.wav" "glow.wav")",
                                      "",
                                  }));
}

TEST(PraySourceWriter, WithNoUsedSlotListsNoDependency) {
    AgentRecord agent = Lantern();
    for (auto& slot : agent.slots) slot.check = CheckValue::Clear;
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 23u);
    // The count is followed by three empty lines: no dependencies, no categories.
    EXPECT_THAT(std::vector(lines.begin() + 6, lines.begin() + 12),
                ElementsAre(R"("Dependency Count" 0)", "", "", "", R"("Script Count" 1)", ""));
    // The remove script line ends the document with two empty lines after it.
    EXPECT_THAT(std::vector(lines.end() - 3, lines.end()),
                ElementsAre(R"("Remove script" "enum CLASS kill targ next")", "", ""));
}

TEST(PraySourceWriter, NumbersAllSixSlotsInOrder) {
    AgentRecord agent;
    for (int n = 1; n <= kSlotCount; ++n) agent.Pick(n, "f" + std::to_string(n), ".catalogue");
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[6], R"("Dependency Count" 6)");
    for (int n = 1; n <= kSlotCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::string file = "f" + std::to_string(n) + ".catalogue";
        EXPECT_EQ(lines[8 + i], "\"Dependency " + std::to_string(n) + "\" \"" + file + "\"");
        EXPECT_EQ(lines[15 + i], "\"Dependency Category " + std::to_string(n) + "\" 7");
        EXPECT_EQ(lines[34 + i], "inline FILE \"" + file + "\" \"" + file + "\"");
    }
}

TEST(PraySourceWriter, LeavesGrayedAndClearSlotsOutOfEveryPass) {
    AgentRecord agent = Lantern();
    agent.Pick(3, "ghost", ".s16");
    agent.Slot(3).check = CheckValue::Grayed;
    agent.Slot(4).file = "unused";  // text in a clear slot is never read
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 29u);
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("ghost"), std::string::npos) << line;
        EXPECT_EQ(line.find("unused"), std::string::npos) << line;
    }
}

// Values land unchanged between the fixed texts, whatever they hold.
struct ValueCase {
    const char* what;
    void (*edit)(AgentRecord&);
    std::size_t line;  // 0-based index in the Lantern document
    const char* expected;
};

const ValueCase kValueCases[] = {
    {"double quotes in the name", [](AgentRecord& a) { a.name = R"(Big "Red" Lamp)"; }, 2,
     R"(group AGNT "Big "Red" Lamp")"},
    {"a backslash in the script name", [](AgentRecord& a) { a.cos_file = R"(sub\lamp)"; }, 16,
     R"("Script 1" @ "sub\lamp.cos")"},
    {"an empty bio-energy text", [](AgentRecord& a) { a.bioenergy = ""; }, 22,
     R"("Agent Bioenergy Value" )"},
    {"a bio-energy text that is no number", [](AgentRecord& a) { a.bioenergy = "abc"; }, 22,
     R"("Agent Bioenergy Value" abc)"},
    {"a file name already ending in its extension",
     [](AgentRecord& a) { a.Pick(2, "lantern.c16", ".c16"); }, 8,
     R"("Dependency 1" "lantern.c16.c16")"},
    {"an extension typed without its dot keeps no dot",
     [](AgentRecord& a) {
         a.Pick(2, "lantern", ".c16");
         a.Slot(2).ext = "c16";
     },
     26, R"(inline FILE "lanternc16" "lanternc16")"},
    {"an empty file name", [](AgentRecord& a) { a.Pick(2, "", ".c16"); }, 26,
     R"(inline FILE ".c16" ".c16")"},
    {"the image without its extension in the gallery line",
     [](AgentRecord& a) { a.image = "lamp img"; }, 19, R"("Agent Animation Gallery" "lamp img")"},
    {"the image extension as the box shows it", [](AgentRecord& a) { a.image_ext = ".s16"; }, 18,
     R"("Agent Animation File" "lantern.s16")"},
    {"an animation string with spaces", [](AgentRecord& a) { a.animation = "0 1 2 255"; }, 20,
     R"("Agent Animation String" "0 1 2 255")"},
};

TEST(PraySourceWriter, WritesValuesUnchanged) {
    for (const auto& c : kValueCases) {
        AgentRecord agent = Lantern();
        c.edit(agent);
        const auto lines = Write(agent);
        ASSERT_GT(lines.size(), c.line) << c.what;
        EXPECT_EQ(lines[c.line], c.expected) << c.what;
    }
}

TEST(PraySourceWriter, StopsAtTheCategoryOfAUsedSlotWithoutAChosenEntry) {
    AgentRecord agent = Lantern();
    agent.Pick(1, "first", ".wav");
    agent.Type(4, "typed", ".wav");  // typed by hand: looks right, has no code
    RecordingSink sink;
    EXPECT_THROW(WritePraySource(agent, sink), MissingCategory);
    // Everything up to the dependency lines, then the categories of slots 1 and 2.
    ASSERT_EQ(sink.lines.size(), 15u);
    EXPECT_EQ(sink.lines[11], R"("Dependency 4" "glow.wav")");
    EXPECT_EQ(sink.lines[12], "");
    EXPECT_EQ(sink.lines[13], R"("Dependency Category 1" 1)");
    EXPECT_EQ(sink.lines[14], R"("Dependency Category 2" 2)");
    EXPECT_FALSE(sink.closed);
}

TEST(PraySourceWriter, StopsAtAFailedWriteAndLeavesTheSinkOpen) {
    RecordingSink sink;
    sink.failAtLine = 20;
    EXPECT_THROW(WritePraySource(Lantern(), sink), std::runtime_error);
    EXPECT_EQ(sink.lines.size(), 19u);
    EXPECT_FALSE(sink.closed);
}

}  // namespace
}  // namespace ormel::test

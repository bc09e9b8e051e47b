#include "agent/pray_source_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/agent_record.h"

namespace ormel::test {
namespace {

using ::testing::ElementsAre;

// Keeps the lines in memory. (The Lantern example's bytes are compared in
// file_system_test.cpp, through the real text stream.)
struct RecordingSink : TextLineSink {
    std::vector<std::string> lines;
    bool closed = false;
    void WriteLine(std::string_view text) override {
        if (closed) throw std::logic_error("write after close");
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

// No dependency, category or inline line: empty lines stand in their place.
TEST(PraySourceWriter, WithNoUsedSlotListsNoDependency) {
    AgentRecord agent = Lantern();
    agent.Slot(2).check = agent.Slot(5).check = CheckValue::Clear;
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_THAT(std::vector(lines.begin() + 6, lines.begin() + 12),
                ElementsAre(R"("Dependency Count" 0)", "", "", "", R"("Script Count" 1)", ""));
    EXPECT_THAT(std::vector(lines.end() - 3, lines.end()),
                ElementsAre(R"("Remove script" "enum CLASS kill targ next")", "", ""));
}

TEST(PraySourceWriter, NumbersAllSixSlotsInOrder) {
    AgentRecord agent;
    for (int n = 1; n <= kSlotCount; ++n) agent.Use(n, "f" + std::to_string(n), ".catalogue");
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[6], R"("Dependency Count" 6)");
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const std::string n = std::to_string(i + 1), file = "\"f" + n + ".catalogue\"";
        EXPECT_EQ(lines[8 + i], "\"Dependency " + n + "\" " + file);
        EXPECT_EQ(lines[15 + i], "\"Dependency Category " + n + "\" 7");
        EXPECT_EQ(lines[34 + i], "inline FILE " + file + " " + file);
    }
}

TEST(PraySourceWriter, LeavesAGrayedSlotOutOfEveryPass) {
    AgentRecord agent = Lantern();
    agent.Use(3, "ghost", ".s16").check = CheckValue::Grayed;
    EXPECT_EQ(Write(agent), Write(Lantern()));
}

// Values land unchanged between the fixed texts, whatever they hold.
TEST(PraySourceWriter, WritesValuesUnchanged) {
    AgentRecord agent = Lantern();
    agent.name = R"(Big "Red" Lamp)";
    agent.cos_file = R"(sub\lamp)";
    agent.bioenergy = "";
    agent.Use(2, "lantern.c16", ".c16");
    agent.image = "lamp";
    agent.image_ext = ".s16";
    const auto lines = Write(agent);
    EXPECT_EQ(lines.at(2) + lines.at(8) + lines.at(16), R"(group AGNT "Big "Red" Lamp")"
                                                        R"("Dependency 1" "lantern.c16.c16")"
                                                        R"("Script 1" @ "sub\lamp.cos")");
    EXPECT_EQ(lines.at(18) + lines.at(19) + lines.at(22), R"("Agent Animation File" "lamp.s16")"
                                                          R"("Agent Animation Gallery" "lamp")"
                                                          R"("Agent Bioenergy Value" )");
}

TEST(PraySourceWriter, StopsAtTheCategoryOfAUsedSlotWithoutAChosenEntry) {
    AgentRecord agent = Lantern();
    agent.Use(1, "first", ".wav");
    agent.Use(4, "typed", ".wav").category.reset();  // typed by hand: looks right, has no code
    RecordingSink sink;
    EXPECT_THROW(WritePraySource(agent, sink), MissingCategory);
    EXPECT_FALSE(sink.closed);
    // Exactly what comes before slot 4's category line, the third.
    agent.Slot(4).category = 1;
    const auto whole = Write(agent);
    EXPECT_EQ(whole[15], R"("Dependency Category 3" 1)");
    EXPECT_EQ(sink.lines, std::vector(whole.begin(), whole.begin() + 15));
}

}  // namespace
}  // namespace ormel::test

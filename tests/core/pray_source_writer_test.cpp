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
class RecordingSink : public TextLineSink {
  public:
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

TEST(PraySourceWriter, WithNoUsedSlotListsNoDependency) {
    AgentRecord agent = Lantern();
    agent.Slot(2).check = agent.Slot(5).check = CheckValue::Clear;
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 23u);
    // No dependency and no category line: three empty lines follow the count.
    EXPECT_THAT(std::vector(lines.begin() + 6, lines.begin() + 12),
                ElementsAre(R"("Dependency Count" 0)", "", "", "", R"("Script Count" 1)", ""));
    // No inline line: the remove script line is followed by two empty lines.
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
        const std::string n = std::to_string(i + 1);
        const std::string file = "\"f" + n + ".catalogue\"";
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
struct ValueCase {
    void (*edit)(AgentRecord&);
    std::size_t line;  // 0-based, in the Lantern document
    const char* expected;
};

const ValueCase kValueCases[] = {
    {[](AgentRecord& a) { a.name = R"(Big "Red" Lamp)"; }, 2, R"(group AGNT "Big "Red" Lamp")"},
    {[](AgentRecord& a) { a.cos_file = R"(sub\lamp)"; }, 16, R"("Script 1" @ "sub\lamp.cos")"},
    {[](AgentRecord& a) { a.bioenergy = ""; }, 22, R"("Agent Bioenergy Value" )"},
    {[](AgentRecord& a) { a.Use(2, "lantern.c16", ".c16"); }, 8,
     R"("Dependency 1" "lantern.c16.c16")"},
    {[](AgentRecord& a) { a.image = "lamp"; }, 19, R"("Agent Animation Gallery" "lamp")"},
    {[](AgentRecord& a) { a.image_ext = ".s16"; }, 18, R"("Agent Animation File" "lantern.s16")"},
};

TEST(PraySourceWriter, WritesValuesUnchanged) {
    for (const auto& c : kValueCases) {
        AgentRecord agent = Lantern();
        c.edit(agent);
        EXPECT_EQ(Write(agent).at(c.line), c.expected);
    }
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

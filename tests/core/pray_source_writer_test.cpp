#include "agent/pray_source_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/agent_record.h"

namespace ormel::test {
namespace {

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

// All six slots, numbered in order; values land unchanged between the fixed
// texts, whatever they hold.
TEST(PraySourceWriter, NumbersAllSixSlotsAndWritesValuesUnchanged) {
    AgentRecord agent = Lantern();
    for (int n = 1; n <= kSlotCount; ++n)
        agent.Use(n, std::string("f").append(std::to_string(n)), ".catalogue");
    agent.name = R"(Big "Red" Lamp)";
    agent.cos_file = R"(sub\lamp)";
    agent.bioenergy = "";
    agent.image = "lamp";
    agent.image_ext = ".s16";
    const auto lines = Write(agent);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[6], R"("Dependency Count" 6)");
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const std::string n = std::to_string(i + 1), file = "\"f" + n + ".catalogue\"";
        EXPECT_EQ(lines[8 + i], "\"Dependency " + n + "\" " + file);
        EXPECT_EQ(lines[15 + i], "\"Dependency Category " + n + "\" 7");
        EXPECT_EQ(lines[34 + i], "inline FILE " + file + " " + file);
    }
    EXPECT_EQ(lines[2] + lines[24], R"(group AGNT "Big "Red" Lamp")"
                                    R"("Script 1" @ "sub\lamp.cos")");
    EXPECT_EQ(lines[26] + lines[27] + lines[30], R"("Agent Animation File" "lamp.s16")"
                                                 R"("Agent Animation Gallery" "lamp")"
                                                 R"("Agent Bioenergy Value" )");
}

TEST(PraySourceWriter, LeavesAGrayedSlotOutOfEveryPass) {
    AgentRecord agent = Lantern();
    agent.Use(3, "ghost", ".s16").check = CheckValue::Grayed;
    EXPECT_EQ(Write(agent), Write(Lantern()));
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

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Lantern changed, and its document with each text replaced by another: the
// first edition's block writes every line, a description and a first image
// come after the agent type, and the later edition's block leaves out the
// bio-energy value and the lines whose value is empty.
struct BlockCase {
    const char* name;
    std::function<void(AgentRecord&)> change;
    std::vector<std::pair<std::string, std::string>> replaced;
};

TEST(PraySourceWriter, WritesTheBlocksLines) {
    const std::string type = "\"Agent Type\" 0\n", bio = "\"Agent Bioenergy Value\" 20\n\n";
    const std::string image =
        "\"Agent Animation File\" \"lantern.c16\"\n"
        "\"Agent Animation Gallery\" \"lantern\"\n";
    const std::string animation = "\"Agent Animation String\" \"0\"\n";
    const std::string remove = "\"Remove script\" \"enum CLASS kill targ next\"\n\n";
    const auto dsag = [](AgentRecord& a) { a.block = "DSAG"; };
    const BlockCase cases[] = {
        {"AGNT, all empty",
         [](AgentRecord& a) { a.image = a.animation = a.remove_script = ""; },
         {{image, "\"Agent Animation File\" \".c16\"\n\"Agent Animation Gallery\" \"\"\n"},
          {animation, "\"Agent Animation String\" \"\"\n"},
          {remove, "\"Remove script\" \"\"\n\n"}}},
        {"description",
         [](AgentRecord& a) { a.description = "A \"lamp\""; },
         {{type, type + "\"Agent Description\" \"A \"lamp\"\"\n"}}},
        {"first image",
         [](AgentRecord& a) { a.first_image = "12"; },
         {{type, type + "\"Agent Sprite First Image\" 12\n"}}},
        {"both",
         [](AgentRecord& a) { a.description = "d", a.first_image = "-1"; },
         {{type, type + "\"Agent Description\" \"d\"\n\"Agent Sprite First Image\" -1\n"}}},
        {"DSAG", dsag, {{"AGNT", "DSAG"}, {bio, ""}}},
        {"DSAG, all empty",
         [&](AgentRecord& a) { dsag(a), a.image = a.animation = a.remove_script = ""; },
         {{"AGNT", "DSAG"}, {bio, ""}, {image, ""}, {animation, ""}, {remove, ""}}},
    };
    for (const BlockCase& c : cases) {
        AgentRecord agent = Lantern();
        c.change(agent);
        std::string expected = Joined(Write(Lantern()));
        for (const auto& [from, to] : c.replaced) {
            const std::size_t at = expected.find(from);
            ASSERT_NE(at, std::string::npos) << c.name << ": " << from;
            expected.replace(at, from.size(), to);
        }
        EXPECT_EQ(Joined(Write(agent)), expected) << c.name;
    }
}

}  // namespace
}  // namespace ormel::test

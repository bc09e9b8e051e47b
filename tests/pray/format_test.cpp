// The format's test vectors byte for byte, and documents built into packages
// that read back as the expected blocks.
#include <gtest/gtest.h>

#include <climits>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

using pray::Tags;

// The tag vector is 27 bytes. "abc" is shorter than any zlib stream, so
// every level stores it as it is: a package of one such FILE block is 151.
TEST(PrayFormat, TestVectors) {
    const std::string expected("\1\0\0\0\1\0\0\0A\1\0\0\0\1\0\0\0\1\0\0\0B\1\0\0\0C", 27);
    EXPECT_EQ(pray::EncodeTags({{{"A", 1}}, {{"B", "C"}}}), expected);
    EXPECT_EQ(pray::DecodeTags(expected), (Tags{{{"A", 1}}, {{"B", "C"}}}));
    TempFolder folder;
    WriteBytes(folder.path() / "a.txt", "abc");
    WriteBytes(folder.path() / "a.pray.txt", Document({"inline FILE \"a.txt\" \"a.txt\""}));
    for (const std::string level : {"0", "6", "9"}) {
        const fs::path package = folder.path() / ("a" + level + ".agent");
        RunPray({"--level", level, "-o", ToUtf8(package), ToUtf8(folder.path() / "a.pray.txt")});
        EXPECT_EQ(ReadBytes(package), "PRAY" + BlockHeaderBytes("FILE", "a.txt", 3, 3, 0) + "abc");
    }
}

// Two documents between them hold every kind of token, comment and value.
TEST(PrayFormat, DocumentsBuildTheExpectedBlocks) {
    const std::string repetitive(5000, 'x');
    const std::string n127(127, 'n');
    const std::pair<std::string, std::vector<ReadBlock>> documents[] = {
        {"\xEF\xBB\xBF(- a note -)\"en-GB\" (- x -)\n(- spans\nlines -)group (- "
         "t -) AGNT "
         "\"caf\xC3\xA9\"(-c-)\n\"k\"(- -)-5 (- tail\n-)\n",
         {{"AGNT", "caf\xC3\xA9", {{{"k", -5}}, {}}, ""}}},
        {Document({"group DSAG \"n\\\"\xE9\x80\"", R"("e" "a\nb\rc\td\"e\\f\qg")",
                   "\"\x81\" \"\xFF\"", "\"s\" \"\"", "\"max\" 2147483647", "\"min\" -2147483648",
                   "group abc1 \"g\"", "\"Script_1\" @ \"script.cos\"", "group AGNT \"h\"",
                   "\"s\"@\"empty.bin\"", "inline FILE \"" + n127 + "\" \"big.txt\"",
                   "inline GLST \"empty\" \"empty.bin\""}),
         {{"DSAG",
           "n\"\xE9\x80",
           {{{"max", INT_MAX}, {"min", INT_MIN}},
            {{"e", "a\nb\rc\td\"e\\fqg"}, {"\x81", "\xFF"}, {"s", ""}}},
           ""},
          {"abc1",
           "g",
           {},
           std::string("\0\0\0\0\1\0\0\0\x08\0\0\0Script_1\x0F\0\0\0", 24) +
               "inst\r\n\"quoted\"\\"},
          {"AGNT", "h", {{}, {{"s", ""}}}, ""},
          {"FILE", n127, {}, repetitive},
          {"GLST", "empty", {}, ""}}},
    };
    TempFolder folder;
    WriteBytes(folder.path() / "script.cos", "inst\r\n\"quoted\"\\");
    WriteBytes(folder.path() / "big.txt", repetitive);
    WriteBytes(folder.path() / "empty.bin", "");
    const std::string package = ToUtf8(folder.path() / "out.agent");
    for (const auto& [text, blocks] : documents) {
        WriteBytes(folder.path() / "doc.txt", text);
        for (const std::string level : {"0", "6"}) {
            const CliRun run =
                RunPray({"--level", level, "-o", package, ToUtf8(folder.path() / "doc.txt")});
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(ReadBlocks(package), blocks) << text;
        }
    }
}

// The example document as the form writes it, built in one command from its
// folder into the current folder, with the large blocks compressed.
TEST(PrayFormat, BuildsTheWorkedExample) {
    const fs::path example = FromUtf8(ORMEL_EXAMPLE_FOLDER);
    TempFolder folder;
    const CliRun run = RunPray({ToUtf8(example / "Lantern.txt")}, folder.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
    const Tags agent{{{"Agent Type", 0},
                      {"Dependency Count", 2},
                      {"Dependency Category 1", 2},
                      {"Dependency Category 2", 1},
                      {"Script Count", 1},
                      {"Agent Bioenergy Value", 20}},
                     {{"Dependency 1", "lantern.c16"},
                      {"Dependency 2", "glow.wav"},
                      {"Script 1", ReadBytes(example / "lantern.cos")},
                      {"Agent Animation File", "lantern.c16"},
                      {"Agent Animation Gallery", "lantern"},
                      {"Agent Animation String", "0"},
                      {"Remove script", "enum CLASS kill targ next"}}};
    EXPECT_EQ(
        ReadBlocks(folder.path() / "Lantern.agent"),
        (std::vector<ReadBlock>{{"AGNT", "Lantern", agent, ""},
                                {"FILE", "lantern.c16", {}, ReadBytes(example / "lantern.c16")},
                                {"FILE", "glow.wav", {}, ReadBytes(example / "glow.wav")}}));
    const std::string list = RunPray({"list", "Lantern.agent"}, folder.path()).out;
    EXPECT_NE(list.find("FILE \"glow.wav\": "), std::string::npos) << list;
    EXPECT_NE(list.find(", compressed\n    \"Agent Type\" 0\n"), std::string::npos);
}

}  // namespace
}  // namespace ormel::test

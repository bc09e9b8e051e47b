// The format's test vectors byte for byte, and the worked example built into
// the blocks it describes. Documents of every kind of token and value are
// cases in documents/.
#include <gtest/gtest.h>

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

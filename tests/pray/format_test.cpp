// The format's test vectors byte for byte, and the worked example. Documents
// of every kind of token and value are cases in documents/.
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
        EXPECT_EQ(ReadBytes(package), "PRAYFILEa.txt" + std::string(123, '\0') +
                                          std::string("\3\0\0\0\3\0\0\0\0\0\0\0abc", 15));
    }
}

// The example document, built in one command from its folder into the
// current folder, with the large blocks compressed. (Its blocks at level 0
// are the document case worked-example.)
TEST(PrayFormat, BuildsTheWorkedExample) {
    TempFolder folder;
    const CliRun run = RunPray({ORMEL_EXAMPLE_FOLDER "/Lantern.txt"}, folder.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
    const std::string list = RunPray({"list", "Lantern.agent"}, folder.path()).out;
    EXPECT_NE(list.find("FILE \"glow.wav\": "), std::string::npos) << list;
    EXPECT_NE(list.find(", compressed\n    \"Agent Type\" 0\n"), std::string::npos);
}

}  // namespace
}  // namespace ormel::test

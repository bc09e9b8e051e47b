// The format's test vectors byte for byte, and documents built into packages
// that read back as the expected blocks.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "pray/tag_block.h"
#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

using pray::Tags;

TEST(PrayFormat, TagVectorIs27Bytes) {
    const std::string expected("\1\0\0\0\1\0\0\0A\1\0\0\0\1\0\0\0\1\0\0\0B\1\0\0\0C", 27);
    EXPECT_EQ(pray::EncodeTags({{{"A", 1}}, {{"B", "C"}}}), expected);
    EXPECT_EQ(pray::DecodeTags(expected), (Tags{{{"A", 1}}, {{"B", "C"}}}));
}

// "abc" is shorter than any zlib stream, so every level stores it as it is.
TEST(PrayFormat, OneUncompressedFileBlockIs151Bytes) {
    TempFolder folder;
    WriteBytes(folder.path() / "a.txt", "abc");
    WriteBytes(folder.path() / "a.pray.txt", Document({"inline FILE \"a.txt\" \"a.txt\""}));
    for (const std::string level : {"0", "6", "9"}) {
        const fs::path package = folder.path() / ("a" + level + ".agent");
        ASSERT_EQ(
            RunPray({"--level", level, "-o", ToUtf8(package), ToUtf8(folder.path() / "a.pray.txt")})
                .status,
            0);
        EXPECT_EQ(ReadBytes(package), "PRAY" + BlockHeaderBytes("FILE", "a.txt", 3, 3, 0) + "abc");
    }
}

struct DocumentCase {
    std::string what;
    std::string text;
    std::vector<ReadBlock> blocks;
};

const std::string kRepetitive(5000, 'x');
const std::map<std::string, std::string> kFiles{
    {"script.cos", "inst\r\n\"quoted\"\\"}, {"big.txt", kRepetitive}, {"empty.bin", ""}};

const std::vector<DocumentCase> kDocuments{
    {"comments between tokens and across lines, LF line ends",
     "(- a note -)\"en-GB\" (- x -)\n(- spans\nlines -)group (- t -) AGNT \"A\"(-c-)\n"
     "\"k\"(- -)-5 (- tail\n-)\n",
     {{"AGNT", "A", {{{"k", -5}}, {}}, ""}}},
    {"escapes, and any other escaped character standing for itself",
     Document({"group DSAG \"n\\\"\"", R"("e" "a\nb\rc\td\"e\\f\qg")"}),
     {{"DSAG", "n\"", {{}, {{"e", "a\nb\rc\td\"e\\fqg"}}}, ""}}},
    {"a UTF-8 byte-order mark; names kept as UTF-8 bytes",
     "\xEF\xBB\xBF\"en-GB\"\r\ngroup AGNT \"caf\xC3\xA9\"\r\n",
     {{"AGNT", "caf\xC3\xA9", {}, ""}}},
    {"Windows-1252 bytes kept as they are",
     Document({"group AGNT \"\xE9\x80\"", "\"\x81\" \"\xFF\""}),
     {{"AGNT", "\xE9\x80", {{}, {{"\x81", "\xFF"}}}, ""}}},
    {"integers at the ends of the range; integer tags before string tags",
     Document({"group EGGS \"e\"", "\"s\" \"\"", "\"max\" 2147483647", "\"min\" -2147483648"}),
     {{"EGGS", "e", {{{"max", INT_MAX}, {"min", INT_MIN}}, {{"s", ""}}}, ""}}},
    {"@ tags hold the file's bytes; any 4-letter-or-digit group type",
     Document({"group abc1 \"g\"", "\"Script_1\" @ \"script.cos\"", "group AGNT \"h\"",
               "\"s\"@\"empty.bin\""}),
     {{"abc1",
       "g",
       {},
       std::string("\0\0\0\0\1\0\0\0\x08\0\0\0Script_1\x0F\0\0\0", 24) + "inst\r\n\"quoted\"\\"},
      {"AGNT", "h", {{}, {{"s", ""}}}, ""}}},
    {"inline blocks of any type, empty or compressible; a name of 127 bytes",
     Document({"inline FILE \"" + std::string(127, 'n') + "\" \"big.txt\"",
               "inline GLST \"empty\" \"empty.bin\"", "group AGNT \"after\"", "\"k\" 0"}),
     {{"FILE", std::string(127, 'n'), {}, kRepetitive},
      {"GLST", "empty", {}, ""},
      {"AGNT", "after", {{{"k", 0}}, {}}, ""}}},
};

class DocumentTable : public testing::TestWithParam<DocumentCase> {};

TEST_P(DocumentTable, BuildsTheExpectedBlocks) {
    TempFolder folder;
    for (const auto& [name, bytes] : kFiles) WriteBytes(folder.path() / name, bytes);
    WriteBytes(folder.path() / "doc.txt", GetParam().text);
    for (const std::string level : {"0", "6"}) {
        const fs::path package = folder.path() / "out.agent";
        const CliRun run =
            RunPray({"--level", level, "-o", ToUtf8(package), ToUtf8(folder.path() / "doc.txt")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ReadBlocks(package), GetParam().blocks) << GetParam().what;
    }
}

INSTANTIATE_TEST_SUITE_P(PrayFormat, DocumentTable, testing::ValuesIn(kDocuments));

// The example document as the form writes it, built in one command from
// its folder into the current folder, and the large blocks compressed.
TEST(PrayFormat, BuildsTheWorkedExample) {
    const fs::path example = FromUtf8(ORMEL_EXAMPLE_FOLDER);
    TempFolder folder;
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    const CliRun run = RunPray({ToUtf8(example / "Lantern.txt")});
    const CliRun list = RunPray({"list", "Lantern.agent"});
    fs::current_path(before);
    ASSERT_EQ(run.status, 0) << run.err;
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
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("FILE \"glow.wav\": "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find(", compressed\n    \"Agent Type\" 0\n"), std::string::npos);
}

}  // namespace
}  // namespace ormel::test

// Bad documents: each error names its line and column and says what was
// wrong, and nothing is written, an earlier package left as it was; warnings
// leave the package built.
#include <gtest/gtest.h>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

// A document of one AGNT group holding these lines, from line 3.
std::string InGroup(std::vector<std::string> lines) {
    lines.insert(lines.begin(), "group AGNT \"A\"");
    return Document(lines);
}

const std::string k128(128, 'x');

const struct BadDocument {
    std::string text;
    std::string position;  // "line:column"
    std::string gist;
} kBadDocuments[] = {
    {"\xEF\xBB\xBF  (- only a comment\r\n -)\r\n\r\n", "4:1", "the document is empty"},
    {"\"en-GB\"\r\n\r\n", "3:1", "without a group or inline statement"},
    {"group AGNT \"A\"\r\n", "1:1", "starts with its language"},
    {"\"en-GB\" \"x\"\r\n", "1:9", "at the double quote in column 7; text follows"},
    {Document({"\"Agent Type\" 0"}), "2:1", "a tag before the first group"},
    {Document({"inline FILE \"f\" \"f.bin\"", "\"k\" 1"}), "3:1",
     "after the inline statement in line 2"},
    {InGroup({"\"k\" 2147483648"}), "3:5", "outside the 32-bit range"},
    {InGroup({"\"Agent Bioenergy Value\" abc"}), "3:25", "or @ and a file name; found abc"},
    {Document({"group AG-T \"A\""}), "2:7", "a block type of 4 letters or digits"},
    {Document({"inline FILES \"A\" \"f.bin\""}), "2:8", "a block type of 4 letters or digits"},
    {Document({"group AGNT \"" + k128 + "\""}), "2:12", "the block name is 128 bytes long"},
    {InGroup({"\"" + k128 + "\" 1"}), "3:1", "the key is 128 bytes long"},
    {Document({"group AGNT \"a" + std::string(1, '\0') + "b\""}), "2:12", "holds a zero byte"},
    {InGroup({"\"k\" 1", "\"k\" \"v\""}), "4:1",
     "\"k\" is given again with another value; first in line 3"},
    {InGroup({"\"Remove script\" \"enum \"CLASS\" kill\""}), "3:24",
     "in column 23; text follows it"},
    {InGroup({"\"k\" \"open"}), "3:5", "is not closed on its line"},
    {"\"en-GB\"\r\ngroup AGNT \"A\"\r\n\"k\" \"open\\", "3:5", "is not closed on its line"},
    {Document({"group AGNT \"A\" (- never closed"}), "2:16", "never closed with -)"},
    {InGroup({"\"k\" @ lantern.cos"}), "3:7",
     "the name of a file in double quotes expected after @"},
    {Document({"groups AGNT \"A\""}), "2:1", "a statement expected: group, inline or a key"},
    {Document({"inline FILE \"f\""}), "2:16", "the name of the file to put in the block"},
    {InGroup({"\"Script 1\" @ \"missing.cos\""}), "3:14",
     "\"missing.cos\" is not in the document's folder"},
    {Document({"inline FILE \"f\" \"folder\""}), "2:17", "the file \"folder\" is not a file"},
    {Document({"inline FILE \"f\" \"huge.bin\""}), "2:17",
     "is 4294967296 bytes long; a block holds at most 4294967295"},
};

class BadDocumentTable : public testing::TestWithParam<BadDocument> {};

TEST_P(BadDocumentTable, NamesTheFaultAndWritesNothing) {
    TempFolder folder;
    fs::create_directory(folder.path() / "folder");
    WriteBytes(folder.path() / "f.bin", "bytes");
    WriteBytes(folder.path() / "huge.bin", "");
    fs::resize_file(folder.path() / "huge.bin", 0x100000000);  // sparse: no disk used
    WriteBytes(folder.path() / "Doc.txt", GetParam().text);
    WriteBytes(folder.path() / "Doc.agent", "an earlier package");
    const auto before = FilesBelow(folder.path());
    const CliRun run = RunPray({"-o", "Doc.agent", "Doc.txt"}, folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("Doc.txt:" + GetParam().position + ": ")) << run.err;
    EXPECT_NE(run.err.find(GetParam().gist), std::string::npos) << run.err;
    EXPECT_EQ(run.out + std::to_string(std::count(run.err.begin(), run.err.end(), '\n')), "1");
    EXPECT_EQ(FilesBelow(folder.path()), before);
    EXPECT_EQ(ReadBytes(folder.path() / "Doc.agent"), "an earlier package");
}

INSTANTIATE_TEST_SUITE_P(PrayDocuments, BadDocumentTable, testing::ValuesIn(kBadDocuments));

// The tags of one AGNT group, and the warnings they give.
const std::pair<std::vector<std::string>, std::string> kWarnedDocuments[] = {
    {{"\"Dependency Count\" 2", "\"Dependency 1\" \"a\"", "\"Dependency Category 1\" 2"},
     "D.txt:3:1: warning: \"Dependency Count\" is 2, but the group has 1 of the tags "
     "\"Dependency N\" for N from 1 to 2\n"},
    {{"\"Dependency Count\" 1", "\"Dependency 1\" \"a\"", "\"Dependency 2\" \"b\"",
      "\"Dependency Category 1\" 12", "\"Dependency Category 2\" -1"},
     "D.txt:5:1: warning: \"Dependency 2\" is beyond \"Dependency Count\" 1\n"
     "D.txt:6:1: warning: \"Dependency Category 1\" is 12; categories run from 0 to 11\n"
     "D.txt:7:1: warning: \"Dependency Category 2\" is -1; categories run from 0 to 11\n"},
    {{"\"Dependency 1\" \"a\""},
     "D.txt:3:1: warning: the group has \"Dependency N\" tags but no \"Dependency Count\"\n"
     "D.txt:3:1: warning: \"Dependency 1\" has no \"Dependency Category 1\"\n"},
    {{"\"Script Count\" 1", "\"Script 2\" \"x\""},
     "D.txt:3:1: warning: \"Script Count\" is 1, but the group has 0 of the tags \"Script N\" "
     "for N from 1 to 1\nD.txt:4:1: warning: \"Script 2\" is beyond \"Script Count\" 1\n"},
    {{"\"Dependency Count\" 1", "\"Dependency 1\" \"a\"", "\"Dependency Category 1\" 11",
      "\"Script Count\" 0"},
     ""},
};

TEST(PrayDocuments, WarningsLeaveThePackageBuilt) {
    TempFolder folder;
    for (const auto& [tags, warnings] : kWarnedDocuments) {
        fs::remove(folder.path() / "D.agent");
        WriteBytes(folder.path() / "D.txt", InGroup(tags));
        EXPECT_EQ(RunPray({"-o", "D.agent", "D.txt"}, folder.path()).err, warnings);
        EXPECT_TRUE(fs::exists(folder.path() / "D.agent"));
    }
}

}  // namespace
}  // namespace ormel::test

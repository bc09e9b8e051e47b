// Bad documents: each error names its line and column and says what was
// wrong, and nothing is written; warnings leave the package built.
#include <gtest/gtest.h>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

struct BadDocument {
    std::string text;
    std::string position;  // "line:column"
    std::string gist;
};

const std::string k128(128, 'x');

const std::vector<BadDocument> kBadDocuments{
    {"", "1:1", "the document is empty"},
    {"\xEF\xBB\xBF  (- only a comment\r\n -)\r\n\r\n", "4:1", "the document is empty"},
    {"\"en-GB\"\r\n\r\n", "3:1", "without a group or inline statement"},
    {"group AGNT \"A\"\r\n", "1:1", "starts with its language"},
    {"\"en-GB\" \"x\"\r\n", "1:9", "a value ends at the double quote in column 7; text follows"},
    {Document({"\"Agent Type\" 0"}), "2:1", "a tag before the first group"},
    {Document({"inline FILE \"f\" \"f.bin\"", "\"k\" 1"}), "3:1",
     "a tag after the inline statement in line 2"},
    {Document({"group AGNT \"A\"", "\"k\" 2147483648"}), "3:5", "outside the 32-bit range"},
    {Document({"group AGNT \"A\"", "\"k\" -2147483649"}), "3:5", "outside the 32-bit range"},
    {Document({"group AGNT \"A\"", "\"Agent Bioenergy Value\" abc"}), "3:25",
     "a value expected after the key: an integer, a string in double quotes, or @ and a file "
     "name; found abc"},
    {Document({"group AGNT \"A\"", "\"Agent Bioenergy Value\" "}), "3:25",
     "a value expected after the key"},
    {Document({"group AGN \"A\""}), "2:7", "a block type of 4 letters or digits"},
    {Document({"group AG-T \"A\""}), "2:7", "a block type of 4 letters or digits"},
    {Document({"inline FILES \"A\" \"f.bin\""}), "2:8", "a block type of 4 letters or digits"},
    {Document({"group AGNT \"" + k128 + "\""}), "2:12", "the block name is 128 bytes long"},
    {Document({"group AGNT \"A\"", "\"" + k128 + "\" 1"}), "3:1", "the key is 128 bytes long"},
    {Document({"group AGNT \"a" + std::string(1, '\0') + "b\""}), "2:12", "holds a zero byte"},
    {Document({"group AGNT \"A\"", "\"k\" 1", "\"k\" \"v\""}), "4:1",
     "the key \"k\" is given twice in this group; first in line 3"},
    {Document({"group AGNT \"A\"", "\"Remove script\" \"enum \"CLASS\" kill\""}), "3:24",
     "a value ends at the double quote in column 23; text follows it"},
    {Document({"group AGNT \"A\"", "\"k\" \"open"}), "3:5", "is not closed on its line"},
    {"\"en-GB\"\r\ngroup AGNT \"A\"\r\n\"k\" \"open\\", "3:5", "is not closed on its line"},
    {Document({"group AGNT \"A\" (- never closed"}), "2:16", "never closed with -)"},
    {Document({"group AGNT \"A\"", "\"k\" @ lantern.cos"}), "3:7",
     "the name of a file in double quotes expected after @"},
    {Document({"groups AGNT \"A\""}), "2:1", "a statement expected: group, inline or a key"},
    {Document({"inline FILE \"f\""}), "2:16", "the name of the file to put in the block"},
    {Document({"group AGNT \"A\"", "\"Script 1\" @ \"missing.cos\""}), "3:14",
     "the file \"missing.cos\" is not in the document's folder"},
    {Document({"inline FILE \"f\" \"missing.bin\""}), "2:17",
     "the file \"missing.bin\" is not in the document's folder"},
    {Document({"inline FILE \"f\" \"folder\""}), "2:17", "the file \"folder\" is not a file"},
    {Document({"inline FILE \"f\" \"huge.bin\""}), "2:17",
     "is 4294967296 bytes long; a block holds at most 4294967295 bytes"},
    {Document({"group AGNT \"A\"", "\"s\" @ \"huge.bin\""}), "3:7", "is 4294967296 bytes long"},
};

class BadDocumentTable : public testing::TestWithParam<BadDocument> {};

TEST_P(BadDocumentTable, NamesTheFaultAndWritesNothing) {
    TempFolder folder;
    fs::create_directory(folder.path() / "folder");
    WriteBytes(folder.path() / "f.bin", "bytes");
    WriteBytes(folder.path() / "huge.bin", "");
    fs::resize_file(folder.path() / "huge.bin", 0x100000000);  // sparse: no disk used
    WriteBytes(folder.path() / "Doc.txt", GetParam().text);
    const auto before = FilesBelow(folder.path());
    const CliRun run =
        RunPray({"-o", ToUtf8(folder.path() / "Doc.agent"), ToUtf8(folder.path() / "Doc.txt")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string prefix = "Doc.txt:" + GetParam().position + ": ";
    EXPECT_EQ(run.err.substr(0, prefix.size()), prefix) << run.err;
    EXPECT_NE(run.err.find(GetParam().gist), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(FilesBelow(folder.path()), before);
}

INSTANTIATE_TEST_SUITE_P(PrayDocuments, BadDocumentTable, testing::ValuesIn(kBadDocuments));

struct WarnedDocument {
    std::vector<std::string> tags;  // of one AGNT group, from line 3
    std::string warnings;
};

const std::vector<WarnedDocument> kWarnedDocuments{
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
     "for N from 1 to 1\n"
     "D.txt:4:1: warning: \"Script 2\" is beyond \"Script Count\" 1\n"},
    {{"\"Dependency Count\" 1", "\"Dependency 1\" \"a\"", "\"Dependency Category 1\" 11",
      "\"Script Count\" 0"},
     ""},
};

class WarnedDocumentTable : public testing::TestWithParam<WarnedDocument> {};

TEST_P(WarnedDocumentTable, WarnsAndBuilds) {
    TempFolder folder;
    std::vector<std::string> lines{"group AGNT \"A\""};
    lines.insert(lines.end(), GetParam().tags.begin(), GetParam().tags.end());
    WriteBytes(folder.path() / "D.txt", Document(lines));
    const CliRun run =
        RunPray({"-o", ToUtf8(folder.path() / "D.agent"), ToUtf8(folder.path() / "D.txt")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, GetParam().warnings);
    EXPECT_TRUE(fs::exists(folder.path() / "D.agent"));
}

INSTANTIATE_TEST_SUITE_P(PrayDocuments, WarnedDocumentTable, testing::ValuesIn(kWarnedDocuments));

}  // namespace
}  // namespace ormel::test

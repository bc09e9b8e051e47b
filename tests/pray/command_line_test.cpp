// The command line: its statuses and streams, where packages and unpacked
// folders go, and that a failed build leaves an earlier package as it was.
#include <gtest/gtest.h>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

struct CommandCase {
    std::vector<std::string> arguments;
    int status;
    std::string out_start;
    std::string err_gist;
};

const std::vector<CommandCase> kCommands{
    {{"--help"}, 0, "Usage:\n", ""},
    {{"--version"}, 0, "ormel-pray 1.0.0\n", ""},
    {{}, 2, "", "no document given"},
    {{"a.txt", "b.txt"}, 2, "", "more than one document"},
    {{"--level", "10", "a.txt"}, 2, "", "--level takes a number from 0 to 9"},
    {{"--level"}, 2, "", "--level needs a value"},
    {{"--bogus", "a.txt"}, 2, "", "unknown option --bogus"},
    {{"list"}, 2, "", "list takes one package"},
    {{"unpack", "a", "b", "c"}, 2, "", "unpack takes a package and at most one folder"},
    {{"list", "-o", "x", "p.agent"}, 2, "", "-o is for building only"},
    {{"--force", "a.txt"}, 2, "", "--force is for unpack only"},
    {{"no such document.txt"}, 1, "", "ormel-pray: cannot open the file"},
    {{"list", "no such package.agent"}, 1, "", "ormel-pray: cannot open the package"},
};

class CommandTable : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandTable, ExitsWithItsStatus) {
    const CliRun run = RunPray(GetParam().arguments);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out.substr(0, GetParam().out_start.size()), GetParam().out_start);
    if (GetParam().out_start.empty()) {
        EXPECT_EQ(run.out, "");
    }
    EXPECT_NE(run.err.find(GetParam().err_gist), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(PrayCommandLine, CommandTable, testing::ValuesIn(kCommands));

class PrayCommandLine : public testing::Test {
  protected:
    PrayCommandLine() {
        WriteBytes(folder.path() / "Doc.txt",
                   Document({"group AGNT \"A\"", "\"k\" 1", "inline FILE \"f\" \"f.bin\""}));
        WriteBytes(folder.path() / "f.bin", "file bytes");
    }
    std::string Path(const std::string& name) const { return ToUtf8(folder.path() / name); }

    TempFolder folder;
};

// Building again replaces the package; a failed build leaves it as it was
// and no other file behind.
TEST_F(PrayCommandLine, ReplacesAPackageOnlyWhenComplete) {
    WriteBytes(folder.path() / "Doc.agent", "an older package");
    ASSERT_EQ(RunPray({"-o", Path("Doc.agent"), Path("Doc.txt")}).status, 0);
    const std::string built = ReadBytes(folder.path() / "Doc.agent");
    EXPECT_EQ(ReadBlocks(folder.path() / "Doc.agent").size(), 2u);

    fs::remove(folder.path() / "f.bin");
    const auto before = FilesBelow(folder.path());
    EXPECT_EQ(RunPray({"-o", Path("Doc.agent"), Path("Doc.txt")}).status, 1);
    EXPECT_EQ(ReadBytes(folder.path() / "Doc.agent"), built);
    EXPECT_EQ(FilesBelow(folder.path()), before);
}

// Without -o and FOLDER the package and the unpacked folder land in the
// current folder, named after the document and the package.
TEST_F(PrayCommandLine, WritesIntoTheCurrentFolderByDefault) {
    const fs::path work = folder.path() / "work";
    fs::create_directory(work);
    const fs::path before = fs::current_path();
    fs::current_path(work);
    const CliRun build = RunPray({Path("Doc.txt")});
    const CliRun unpack = RunPray({"unpack", "Doc.agent"});
    const CliRun again = RunPray({"unpack", "Doc.agent"});
    const CliRun forced = RunPray({"unpack", "--force", "Doc.agent"});
    fs::current_path(before);
    EXPECT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(unpack.status, 0) << unpack.err;
    EXPECT_EQ(build.out + unpack.out + forced.out, "");
    EXPECT_EQ(FilesBelow(work),
              (std::vector<std::string>{"Doc", "Doc.agent", "Doc/Doc.txt", "Doc/f"}));
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("exists already; --force writes into it"), std::string::npos);
    EXPECT_EQ(forced.status, 0) << forced.err;
}

}  // namespace
}  // namespace ormel::test

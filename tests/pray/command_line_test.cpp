// The command line: its statuses and streams. (Where packages and unpacked
// folders go: package_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "pray/atomic_file.h"
#include "pray_test_support.h"

namespace ormel::test {
namespace {

TEST(PrayCommandLine, ExitsWithItsStatus) {
    const std::string kNoBlocks = ORMEL_DOCUMENT_CASES "/no-blocks.txt";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out_start;  // nothing else is written to the standard output
        std::string err_gist;
    } cases[] = {
        {{"--help"}, 0, "Usage:\n", ""},
        {{"help"}, 0, "Usage:\n", ""},
        {{"lst", "x"}, 2, "", "ormel-pray: no file \"lst\"; did you mean \"list\"?\n"},
        {{"-"}, 2, "", "ormel-pray: \"-\" (standard input/output) is not supported; name a file"},
        {{"-o-", "a.txt"}, 2, "", "\"-\" (standard input/output) is not supported"},
        {{"--output=-", "a.txt"}, 2, "", "\"-\" (standard input/output) is not supported"},
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
        {{"no such document.txt"}, 1, "", "cannot open the file no such document.txt: "},
        {{"list", "."}, 1, "", "ormel-pray: cannot open the package .: Is a directory\n"},
        {{kNoBlocks}, 1, "", kNoBlocks + ":3:1: error: "},  // named as given
    };
    for (const auto& c : cases) {
        const CliRun run = RunPray(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.err_gist;
        EXPECT_EQ(run.out.substr(0, std::max(c.out_start.size(), std::size_t{1})), c.out_start);
        EXPECT_NE(run.err.find(c.err_gist), std::string::npos) << run.err;
    }
    std::ostream full(nullptr);  // as the standard output on a full disk
    std::ostringstream err;
    EXPECT_EQ(pray::RunPrayCli({"--help"}, full, err), 1);
    EXPECT_TRUE(err.str().starts_with("ormel-pray: cannot write to the standard output"));
}

// Writing a package replaces only a regular file: a folder or a FIFO there
// stays as it was. A failed final rename is a failure.
TEST(PrayCommandLine, ReplacesOnlyARegularFile) {
    TempFolder folder;
    std::vector<std::filesystem::path> targets{folder.path()};
#ifndef _WIN32
    targets.push_back(folder.path() / "fifo");
    ASSERT_EQ(mkfifo(targets.back().c_str(), 0600), 0);
#endif
    for (const auto& target : targets) {
        const auto type = std::filesystem::status(target).type();
        const CliRun run = RunPray({"-o", ToUtf8(target), ORMEL_EXAMPLE_FOLDER "/Lantern.txt"});
        EXPECT_NE(run.err.find(": it is a"), std::string::npos) << run.err;
        EXPECT_EQ(std::filesystem::status(target).type(), type);
    }
    EXPECT_ANY_THROW(pray::MoveIntoPlace(folder.path() / "absent", folder.path() / "x"));
}

}  // namespace
}  // namespace ormel::test

// The command line: its statuses and streams. (Where packages and unpacked
// folders go: package_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>

#include "pray_test_support.h"

namespace ormel::test {
namespace {

TEST(PrayCommandLine, ExitsWithItsStatus) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out_start;  // nothing else is written to the standard output
        std::string err_gist;
    } cases[] = {
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
    for (const auto& c : cases) {
        const CliRun run = RunPray(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.err_gist;
        EXPECT_EQ(run.out.substr(0, std::max(c.out_start.size(), std::size_t{1})), c.out_start);
        EXPECT_NE(run.err.find(c.err_gist), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace ormel::test

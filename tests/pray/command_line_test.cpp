// The command line: its statuses and streams. (Where packages and unpacked
// folders go: package_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "pray/atomic_file.h"
#include "pray_test_support.h"

namespace ormel::test {
namespace {

// The cases of command_lines.txt, whose head says how they read.
TEST(PrayCommandLine, ExitsWithItsStatus) {
    std::istringstream lines(ReadBytes(FromUtf8(ORMEL_PRAY_COMMAND_LINES)));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.starts_with('#')) continue;
        for (std::size_t at; (at = line.find("{documents}")) != std::string::npos;)
            line.replace(at, 11, ORMEL_DOCUMENT_CASES);
        std::istringstream words(line);
        int status = 0;
        std::vector<std::string> arguments;
        std::string out_start, err_gist;
        words >> status;
        for (std::string word; words >> std::quoted(word) && word != "->";)
            arguments.push_back(word);
        words >> std::quoted(out_start) >> std::quoted(err_gist);
        const CliRun run = RunPray(arguments);
        EXPECT_EQ(run.status, status) << line;
        EXPECT_EQ(run.out.substr(0, std::max(out_start.size(), std::size_t{1})), out_start) << line;
        EXPECT_NE(run.err.find(err_gist), std::string::npos) << run.err;
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

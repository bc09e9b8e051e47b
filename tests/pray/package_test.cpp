// Packages read back: unpacking then building gives the same blocks, and
// hostile packages are refused with nothing written outside the target.
#include <gtest/gtest.h>

#include <iomanip>
#include <iterator>
#include <map>
#include <random>

#include "pray/package_writer.h"
#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

// One document with every awkward value: quotes, backslashes, line breaks,
// the integer range's ends, non-ASCII and control bytes, file names that
// differ only in case or match the document's, raw blocks of other types, a
// group of a raw type and empty data. Without -o and FOLDER the package and
// the unpacked folder land in the current folder; an older package is
// replaced, an existing folder only written into with --force.
TEST(PrayPackages, UnpackThenBuildGivesTheSameBlocks) {
    TempFolder folder;
    WriteBytes(folder.path() / "a.bin", std::string(3000, 'a') + "\r\n\"\\");
    WriteBytes(folder.path() / "b.bin", std::string("\0\xFF\n", 3));
    WriteBytes(folder.path() / "empty.bin", "");
    WriteBytes(
        folder.path() / "R.txt",
        Document({"group AGNT \"a \\\"b\\\" c\\\\\"", R"("k\"\\\r\n\t" "v \"q\" \\ \r\n\t end")",
                  R"("empty" "")", "\"\" 1", "group DSAG \"n\"", "\"a\" -1", "\"b\" -2147483648",
                  "\"c\" 2147483647", "group AGNT \"\xE9\x80\x81\"",
                  "\"\xFF\" \"\x01\x1A\x7F\xE9\"", std::string("\"zero\" \"a\0b\"", 12),
                  "inline FILE \"caf\xE9.wav\" \"a.bin\"", "inline FILE \"x.bin\" \"b.bin\"",
                  "inline FILE \"X.BIN\" \"a.bin\"", "inline FILE \"R.txt\" \"b.bin\"",
                  "inline GLST \"list\" \"b.bin\"", "group FILE \"tags.bin\"", "\"k\" 1",
                  "inline FILE \"empty\" \"empty.bin\""}));
    const fs::path work = folder.path() / "work";
    fs::create_directory(work);
    WriteBytes(work / "R.agent", "an older package");
    ASSERT_EQ(RunPray({ToUtf8(folder.path() / "R.txt")}, work).err, "");
    const CliRun unpacked = RunPray({"unpack", "R.agent"}, work);
    ASSERT_EQ(unpacked.out + unpacked.err, "");
    EXPECT_NE(RunPray({"unpack", "R.agent"}, work).err.find("exists already; --force writes"),
              std::string::npos);
    ASSERT_EQ(RunPray({"unpack", "--force", "R.agent"}, work).err, "");
    const std::string again = ToUtf8(folder.path() / "again.agent");
    ASSERT_EQ(RunPray({"-o", again, ToUtf8(work / "R" / "R.txt")}).err, "");
    EXPECT_EQ(ReadBlocks(again), ReadBlocks(work / "R.agent"));
    EXPECT_EQ(std::distance(fs::directory_iterator(work), {}), 2);  // R and R.agent
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

// The bytes that a .package file describes, token by token: "text" (\xNN
// for any byte), "text"*N (repeated), name "text" (zero-padded to a block
// name's 128 bytes) and a number (a u32, little-endian). # starts a note.
std::string PackageBytes(const fs::path& file) {
    std::istringstream in(ReadBytes(file));
    std::string bytes, word;
    for (bool name = false; in >> std::ws && in.peek() != EOF;) {
        if (in.peek() == '#') {
            std::getline(in, word);
        } else if (in.peek() == '"') {
            in >> std::quoted(word, '"', '\x01');
            for (std::size_t x = 0; (x = word.find("\\x", x)) != std::string::npos; ++x) {
                word.replace(x, 4, 1, static_cast<char>(std::stoi(word.substr(x + 2, 2), 0, 16)));
            }
            unsigned times = 1;
            if (in.peek() == '*') in.ignore() >> times;
            std::string piece;
            while (times-- > 0) piece += word;
            if (std::exchange(name, false)) piece.resize(128, '\0');
            bytes += piece;
        } else if (in >> word && word == "name") {
            name = true;
        } else {
            for (int shift = 0; shift < 32; shift += 8) bytes += char(std::stoul(word) >> shift);
        }
    }
    return bytes;
}

// Every file and folder below folder, each file with its bytes.
std::vector<std::string> Snapshot(const fs::path& folder) {
    std::vector<std::string> entries = FilesBelow(folder);
    for (std::string& entry : entries) {
        const fs::path path = folder / FromUtf8(entry);
        if (fs::is_regular_file(path)) entry += "=" + ReadBytes(path);
    }
    return entries;
}

// Each case is a pair of files under packages/: NAME.package the package's
// bytes, NAME.expected what list and unpack make of it, a line each:
//   package: its file name (P.agent when not given)
//   before: the files (and folders/) in FOLDER; unpack --force into it
//   list: / unpack: ok, or what the message says
//   files: FOLDER's files after a good unpack, each NAME or NAME=BYTES
// A refused unpack (with and without FOLDER) leaves every file as it was.
TEST(PrayPackages, PackagesListAndUnpackAsExpected) {
    for (const auto& entry : fs::directory_iterator(FromUtf8(ORMEL_PRAY_PACKAGES))) {
        if (entry.path().extension() != ".package") continue;
        SCOPED_TRACE(ToUtf8(entry.path().filename()));
        std::map<std::string, std::string> expected{{"package", "P.agent"}};
        std::istringstream lines(ReadBytes(fs::path(entry.path()).replace_extension(".expected")));
        for (std::string line; std::getline(lines, line);) {
            expected[line.substr(0, line.find(": "))] = line.substr(line.find(": ") + 2);
        }
        TempFolder folder;
        const std::string package = ToUtf8(folder.path() / expected["package"]);
        WriteBytes(FromUtf8(package), PackageBytes(entry.path()));
        const fs::path work = folder.path() / "deep" / "work";
        fs::create_directories(work);
        std::vector<std::vector<std::string>> runs{{"list", package}, {"unpack", package, "out"}};
        if (expected.contains("before")) {
            runs[1].insert(runs[1].begin() + 1, "--force");
            fs::create_directory(work / "out");
        } else {
            runs.push_back({"unpack", package});
        }
        for (const std::string& name : Words(expected["before"])) {
            if (name.ends_with('/')) fs::create_directory(work / "out" / name);
            if (!name.ends_with('/')) WriteBytes(work / "out" / name, "old");
        }
        const auto before = Snapshot(folder.path());
        for (const auto& arguments : runs) {
            const CliRun run = RunPray(arguments, work);
            const std::string& want = expected[arguments[0]];
            EXPECT_EQ(run.status, want == "ok" ? 0 : 1) << run.err;
            EXPECT_TRUE(want == "ok" ? run.err.empty() : run.err.find(want) != std::string::npos)
                << run.err;
            EXPECT_EQ(want == "ok" ? before : Snapshot(folder.path()), before);
        }
        if (!expected.contains("files")) continue;
        std::vector<std::string> names;
        for (const std::string& file : Words(expected["files"])) {
            names.push_back(file.substr(0, file.find('=')));
            if (names.back() == file) continue;
            EXPECT_EQ(ReadBytes(work / "out" / FromUtf8(names.back())),
                      file.substr(file.find('=') + 1));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(FilesBelow(work / "out"), names);
    }
}

// A file that shrinks or grows after it was checked, whether it is copied,
// compressed or found not to compress: an error, and no package.
TEST(PrayPackages, AFileThatChangesSizeWhilePackedIsAnError) {
    static std::uintmax_t changed_size;
    pray::g_before_reading_file = [](const fs::path& file) { fs::resize_file(file, changed_size); };
    std::string noise(1000, '\0');
    std::generate(noise.begin(), noise.end(), std::mt19937());
    TempFolder folder;
    WriteBytes(folder.path() / "D.txt", Document({"inline FILE \"f\" \"f.bin\""}));
    for (const std::string& bytes : {std::string(1000, 'a'), noise}) {
        for (const std::string level : {"0", "6"}) {
            for (changed_size = 500; changed_size <= 1500; changed_size += 1000) {
                WriteBytes(folder.path() / "f.bin", bytes);
                EXPECT_EQ(RunPray({"--level", level, "D.txt"}, folder.path()).err,
                          "ormel-pray: the file \"f.bin\" changed size while being packed\n");
                EXPECT_FALSE(fs::exists(folder.path() / "D.agent"));
            }
        }
    }
    pray::g_before_reading_file = nullptr;
}

}  // namespace
}  // namespace ormel::test

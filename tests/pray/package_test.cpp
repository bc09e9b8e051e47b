// Packages read back: unpacking then building gives the same blocks, and
// hostile packages are refused with nothing written outside the target.
#include <gtest/gtest.h>

#include <iomanip>
#include <map>

#include "pray/package_writer.h"
#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

// packages/round-trip/R.txt holds every awkward value: quotes, backslashes,
// line breaks, the integer range's ends, non-ASCII and control bytes, names
// that differ only in case or match the document's, raw blocks of other types,
// agents' scripts (unpacked into .cos files, one named as a file block), a
// group of a raw type, empty data. Without -o and FOLDER both land in the
// current folder; an older package is replaced, a folder written into with --force.
TEST(PrayPackages, UnpackThenBuildGivesTheSameBlocks) {
    TempFolder folder;
    const fs::path work = folder.path() / "work";
    fs::create_directory(work);
    WriteBytes(work / "R.agent", "an older package");
    ASSERT_EQ(RunPray({ORMEL_PRAY_PACKAGES "/round-trip/R.txt"}, work).err, "");
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

// The bytes that a .package file describes (see packages/README).
std::string PackageBytes(const fs::path& file) {
    std::istringstream in(ReadBytes(file));
    std::string bytes, word;
    for (bool name = false; in >> std::ws && in.peek() != EOF;) {
        if (in.peek() == '"') {
            in >> std::quoted(word, '"', '\x01');
            for (std::size_t x = 0; (x = word.find("\\x", x)) != std::string::npos; ++x) {
                word.replace(x, 4, 1, static_cast<char>(std::stoi(word.substr(x + 2, 2), 0, 16)));
            }
            if (std::exchange(name, false)) word.resize(128, '\0');
            bytes += word;
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
        if (fs::is_regular_file(path)) entry.append("=").append(ReadBytes(path));
    }
    return entries;
}

// The cases of packages/, whose README says how they read.
TEST(PrayPackages, PackagesListAndUnpackAsExpected) {
    for (const auto& entry : fs::directory_iterator(FromUtf8(ORMEL_PRAY_PACKAGES))) {
        if (entry.path().extension() != ".package") continue;
        SCOPED_TRACE(ToUtf8(entry.path().filename()));
        std::map<std::string, std::string> expected{{"package", "P.agent"}};
        std::istringstream lines(ReadBytes(fs::path(entry.path()).replace_extension(".expected")));
        for (std::string line; std::getline(lines, line);) {
            expected[line.substr(0, line.find(": "))] = line.substr(line.find(": ") + 2);
        }
        if (fs::path::preferred_separator == '\\' && expected.contains("not on Windows")) continue;
        TempFolder folder;
        const std::string package = ToUtf8(folder.path() / expected["package"]);
        WriteBytes(FromUtf8(package), PackageBytes(entry.path()));
        const fs::path work = folder.path() / "deep" / "work";
        fs::create_directories(work / "out");
        std::istringstream given(expected["before"]), listed(expected["files"]);
        for (std::string name; given >> name;) {
            if (name.ends_with('/')) fs::create_directory(work / "out" / name);
            if (!name.ends_with('/')) WriteBytes(work / "out" / name, "old");
        }
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
                 {"list", package}, {"unpack", package}, {"unpack", "--force", package, "out"}}) {
            const auto before = Snapshot(folder.path());
            const CliRun run = RunPray(arguments, work);
            const std::string key = arguments[1] == "--force" ? "force" : arguments[0];
            const std::string want = expected[expected.contains(key) ? key : "unpack"];
            const bool warns = want.starts_with("warns: "), ok = want == "ok" || warns;
            EXPECT_EQ(run.status, ok ? 0 : 1);
            EXPECT_TRUE(want == "ok"
                            ? run.err.empty()
                            : run.err.find(want.substr(warns ? 7 : 0)) != std::string::npos)
                << run.err;
            EXPECT_EQ(ok ? before : Snapshot(folder.path()), before);
            if (key == "list" && expected.contains("lines listed")) {
                EXPECT_EQ(std::to_string(std::ranges::count(run.out, '\n')),
                          expected["lines listed"]);
            }
        }
        const fs::path stem = FromUtf8(package).stem(), unpacked = work / stem;
        if (fs::exists(unpacked)) {
            const std::string again = ToUtf8(folder.path() / "again.agent");
            EXPECT_EQ(RunPray({"-o", again, ToUtf8(unpacked / fs::path(stem).concat(".txt"))}).err,
                      "");
            std::vector<ReadBlock> blocks = ReadBlocks(FromUtf8(package));
            for (ReadBlock& block : blocks) block.tags = pray::WithoutRepeats(block.tags);
            EXPECT_EQ(ReadBlocks(again), blocks);
        }
        if (expected["files"].empty()) continue;
        std::vector<std::string> after = Snapshot(work / "out"), files;
        for (std::string file; listed >> std::quoted(file);) files.push_back(file);
        for (std::string& seen : after) {  // with its bytes where the case gives them
            if (std::ranges::find(files, seen) == files.end())
                seen = seen.substr(0, seen.find('='));
        }
        EXPECT_EQ(after, files);
    }
}

// A file that shrinks or grows after it was checked, whether it is copied,
// compressed or found not to compress: an error, and no package.
TEST(PrayPackages, AFileThatChangesSizeWhilePackedIsAnError) {
    static std::uintmax_t changed_size;
    pray::g_before_reading_file = [](const fs::path& file) { fs::resize_file(file, changed_size); };
    std::string noise;  // 1000 bytes that zlib does not make smaller
    for (unsigned x = 1; noise.size() < 1000;) noise += char((x *= 2654435761u) >> 24);
    TempFolder folder;
    WriteBytes(folder.path() / "D.txt", Document({"inline FILE \"f\" \"f.bin\""}));
    for (const auto& [bytes, level] : std::vector<std::pair<std::string, std::string>>{
             {std::string(1000, 'a'), "0"}, {std::string(1000, 'a'), "6"}, {noise, "6"}}) {
        for (changed_size = 500; changed_size <= 1500; changed_size += 1000) {
            WriteBytes(folder.path() / "f.bin", bytes);
            EXPECT_EQ(RunPray({"--level", level, "D.txt"}, folder.path()).err,
                      "ormel-pray: the file \"f.bin\" changed size while being packed\n");
            EXPECT_FALSE(fs::exists(folder.path() / "D.agent"));
        }
    }
    pray::g_before_reading_file = nullptr;
}

}  // namespace
}  // namespace ormel::test

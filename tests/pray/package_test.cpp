// Packages read back: unpacking then building gives the same blocks, and
// hostile packages are refused with nothing written outside the target.
#include <gtest/gtest.h>
#include <zlib.h>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

struct RoundTrip {
    std::string what;
    std::vector<std::string> lines;
};

const std::vector<RoundTrip> kRoundTrips{
    {"quotes, backslashes and line breaks in names, keys and values",
     {"group AGNT \"a \\\"b\\\" c\\\\\"", R"("k\"\\\r\n\t" "v \"q\" \\ \r\n\t end")",
      R"("empty" "")", "\"\" 1"}},
    {"negative numbers and the range's ends",
     {"group DSAG \"n\"", "\"a\" -1", "\"b\" -2147483648", "\"c\" 2147483647"}},
    {"non-ASCII and control bytes",
     {"group AGNT \"\xE9\x80\x81\"", "\"\xFF\" \"\x01\x1A\x7F\xE9\"",
      std::string("\"zero\" \"a\0b\"", 12)}},
    {"files under awkward names, one name twice in different case",
     {"inline FILE \"caf\xE9.wav\" \"a.bin\"", "inline FILE \"x.bin\" \"b.bin\"",
      "inline FILE \"X.BIN\" \"a.bin\"", "inline FILE \"R.txt\" \"b.bin\""}},
    {"raw blocks of other types, a group of a raw type, empty data",
     {"inline GLST \"list\" \"b.bin\"", "group FILE \"tags.bin\"", "\"k\" 1",
      "inline FILE \"empty\" \"empty.bin\""}},
};

class RoundTripTable : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTable, UnpackThenBuildGivesTheSameBlocks) {
    TempFolder folder;
    WriteBytes(folder.path() / "a.bin", std::string(3000, 'a') + "\r\n\"\\");
    WriteBytes(folder.path() / "b.bin", std::string("\0\xFF\n", 3));
    WriteBytes(folder.path() / "empty.bin", "");
    std::string document = Document(GetParam().lines);
    WriteBytes(folder.path() / "R.txt", document);
    const std::string first = ToUtf8(folder.path() / "R.agent");
    const std::string second = ToUtf8(folder.path() / "out" / "again.agent");
    ASSERT_EQ(RunPray({"-o", first, ToUtf8(folder.path() / "R.txt")}).err, "");
    const CliRun unpack = RunPray({"unpack", first, ToUtf8(folder.path() / "out")});
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    const CliRun build = RunPray({"-o", second, ToUtf8(folder.path() / "out" / "R.txt")});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadBlocks(second), ReadBlocks(first)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(PrayPackages, RoundTripTable, testing::ValuesIn(kRoundTrips));

std::string Zlib(const std::string& bytes) {
    uLongf size = compressBound(bytes.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    out.resize(size);
    return out;
}

std::string FileBlock(const std::string& name, const std::string& bytes = "data") {
    return BlockHeaderBytes("FILE", name, bytes.size(), bytes.size(), 0) + bytes;
}

struct HostilePackage {
    std::string what;
    std::string bytes;
    std::string gist;  // of the unpack error
    bool listable;     // list shows it; only unpack refuses it
};

const std::string kPacked = Zlib(std::string(1000, 'z'));
const std::string kGoodFirst = "PRAY" + FileBlock("fine.txt");

const std::vector<HostilePackage> kHostilePackages{
    {"parent folder", kGoodFirst + FileBlock("../x"), "a path, not a plain name", true},
    {"absolute path", kGoodFirst + FileBlock("/etc/x"), "a path, not a plain name", true},
    {"drive", kGoodFirst + FileBlock("C:\\x"), "a path, not a plain name", true},
    {"drive-relative", kGoodFirst + FileBlock("C:x"), "Windows does not allow", true},
    {"subfolder", kGoodFirst + FileBlock("a/b"), "a path, not a plain name", true},
    {"backslash", kGoodFirst + FileBlock("a\\b"), "a path, not a plain name", true},
    {"dot", kGoodFirst + FileBlock("."), "stands for a folder", true},
    {"dot dot", kGoodFirst + FileBlock(".."), "stands for a folder", true},
    {"empty", kGoodFirst + FileBlock(""), "an empty name", true},
    {"control character", kGoodFirst + FileBlock("a\tb"), "control character", true},
    {"CON", kGoodFirst + FileBlock("CON"), "Windows reserves", true},
    {"nul with extension", kGoodFirst + FileBlock("nul.txt"), "Windows reserves", true},
    {"COM1", kGoodFirst + FileBlock("com1.wav"), "Windows reserves", true},
    {"LPT9", kGoodFirst + FileBlock("LPT9"), "Windows reserves", true},
    {"AUX with a blank", kGoodFirst + FileBlock("aux .txt"), "Windows reserves", true},
    {"trailing dot", kGoodFirst + FileBlock("x."), "ending in a dot or a blank", true},
    {"trailing blank", kGoodFirst + FileBlock("x "), "ending in a dot or a blank", true},
    {"no blocks", "PRAY", "it holds no blocks", true},
    {"not a package", "PRAZ" + FileBlock("a"), "does not start with \"PRAY\"", false},
    {"shorter than PRAY", "PR", "shorter than the 4 bytes", false},
    {"truncated header", kGoodFirst + "FILE", "ends 4 bytes into a block header", false},
    {"truncated payload", kGoodFirst + FileBlock("a", "abc").substr(0, 146),
     "claims 3 stored bytes, but only 2 remain", false},
    {"4 GiB claimed",
     kGoodFirst + BlockHeaderBytes("FILE", "a", 0xFFFFFFFF, 0xFFFFFFFF, 0) + std::string(100, 'x'),
     "claims 4294967295 stored bytes, but only 100 remain", false},
    {"uncompressed sizes differ", kGoodFirst + BlockHeaderBytes("FILE", "a", 3, 4, 0) + "abc",
     "the two must be equal", false},
    {"unknown flag", kGoodFirst + BlockHeaderBytes("FILE", "a", 3, 3, 2) + "abc",
     "set bits other than bit 0", false},
    {"type not letters", kGoodFirst + BlockHeaderBytes("FI.E", "a", 0, 0, 0),
     "type is not 4 letters or digits", false},
    {"name not terminated", kGoodFirst + BlockHeaderBytes("FILE", std::string(128, 'n'), 0, 0, 0),
     "no zero byte to end it", false},
    {"inflates to more",
     kGoodFirst + BlockHeaderBytes("FILE", "a", kPacked.size(), 999, 1) + kPacked,
     "inflates to more than the 999 bytes", false},
    {"inflates to less, 4 GiB claimed",
     kGoodFirst + BlockHeaderBytes("FILE", "a", kPacked.size(), 0xFFFFFFFF, 1) + kPacked,
     "inflates to 1000 bytes, not the 4294967295", false},
    {"not zlib", kGoodFirst + BlockHeaderBytes("FILE", "a", 4, 10, 1) + "junk",
     "not a valid zlib stream", false},
    {"zlib stream cut short",
     kGoodFirst + BlockHeaderBytes("FILE", "a", 5, 1000, 1) + kPacked.substr(0, 5),
     "ends before its zlib stream does", false},
    {"bytes after the zlib stream",
     kGoodFirst + BlockHeaderBytes("FILE", "a", kPacked.size() + 2, 1000, 1) + kPacked + "xx",
     "2 bytes follow the end of the zlib stream", false},
    {"tag count beyond the block",
     kGoodFirst + BlockHeaderBytes("AGNT", "a", 4, 4, 0) + std::string("\xFF\xFF\xFF\xFF", 4),
     "claims 4294967295 integer tags", false},
    {"key length beyond the block",
     kGoodFirst + BlockHeaderBytes("AGNT", "a", 12, 12, 0) +
         std::string("\1\0\0\0\xFF\0\0\0\0\0\0\0", 12),
     "claims 255 bytes, but only 4 remain", false},
    {"key given twice",
     kGoodFirst + BlockHeaderBytes("AGNT", "a", 26, 26, 0) +
         std::string("\2\0\0\0\1\0\0\0k\1\0\0\0\1\0\0\0k\2\0\0\0\0\0\0\0", 26),
     "the key \"k\" is given twice", false},
    {"bytes after the tags",
     kGoodFirst + BlockHeaderBytes("AGNT", "a", 9, 9, 0) + std::string(8, '\0') + "x",
     "1 bytes follow the last tag", false},
};

class HostilePackageTable : public testing::TestWithParam<HostilePackage> {};

TEST_P(HostilePackageTable, IsRefusedWithNothingWritten) {
    TempFolder folder;
    const fs::path package = folder.path() / "P.agent";
    WriteBytes(package, GetParam().bytes);
    const fs::path work = folder.path() / "deep" / "work";
    fs::create_directories(work);
    const fs::path before_folder = fs::current_path();
    fs::current_path(work);
    const CliRun list = RunPray({"list", ToUtf8(package)});
    const CliRun unpack = RunPray({"unpack", ToUtf8(package)});
    const CliRun into = RunPray({"unpack", ToUtf8(package), "out"});
    fs::current_path(before_folder);

    EXPECT_EQ(list.status, GetParam().listable ? 0 : 1) << list.err;
    if (!GetParam().listable) {
        EXPECT_NE(list.err.find(GetParam().gist), std::string::npos);
    }
    for (const CliRun& run : {unpack, into}) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.substr(0, 9), "P.agent: ") << run.err;
        EXPECT_NE(run.err.find(GetParam().gist), std::string::npos) << run.err;
    }
    EXPECT_EQ(FilesBelow(folder.path()),
              (std::vector<std::string>{"P.agent", "deep", "deep/work"}));
}

INSTANTIATE_TEST_SUITE_P(PrayPackages, HostilePackageTable, testing::ValuesIn(kHostilePackages));

// The error names the block and where it lies.
TEST(PrayPackages, ErrorsNameTheBlockAndOffset) {
    TempFolder folder;
    WriteBytes(folder.path() / "P.agent",
               kGoodFirst + BlockHeaderBytes("FILE", "b.wav", 3, 4, 0) + "abc");
    EXPECT_EQ(RunPray({"list", ToUtf8(folder.path() / "P.agent")}).err,
              "P.agent: block 2 (FILE \"b.wav\") at byte 284: an uncompressed block claims 3 "
              "stored but 4 unstored bytes; the two must be equal\n");
}

}  // namespace
}  // namespace ormel::test

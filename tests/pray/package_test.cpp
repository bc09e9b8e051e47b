// Packages read back: unpacking then building gives the same blocks, and
// hostile packages are refused with nothing written outside the target.
#include <gtest/gtest.h>
#include <zlib.h>

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

std::string Zlib(const std::string& bytes) {
    uLongf size = compressBound(bytes.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    out.resize(size);
    return out;
}

const std::string kPacked = Zlib(std::string(1000, 'z'));
const std::string kGoodFirst = "PRAY" + BlockHeaderBytes("FILE", "fine.txt", 4, 4, 0) + "data";

// A good first block, then a block with this header and these bytes.
std::string Then(const std::string& type, const std::string& name, std::uint32_t stored,
                 std::uint32_t unstored, std::uint32_t flags, const std::string& bytes = "") {
    return kGoodFirst + BlockHeaderBytes(type, name, stored, unstored, flags) + bytes;
}
// A good first block, then a readable FILE block that unpack must refuse.
std::string ThenFile(const std::string& name) {
    return Then("FILE", name, 4, 4, 0, "data");
}

const struct HostilePackage {
    std::string bytes;
    std::string gist;  // of the unpack error
    bool listable;     // list shows it; only unpack refuses it
} kHostilePackages[] = {
    {ThenFile("../x"), "a path, not a plain name", true},
    {ThenFile("a\\b"), "a path, not a plain name", true},
    {ThenFile("C:x"), "Windows does not allow", true},
    {ThenFile(".."), "stands for a folder", true},
    {ThenFile(""), "an empty name", true},
    {ThenFile("a\tb"), "control character", true},
    {ThenFile("CON"), "Windows reserves", true},
    {ThenFile("nul.txt"), "Windows reserves", true},
    {ThenFile("com1.wav"), "Windows reserves", true},
    {ThenFile("LPT9"), "Windows reserves", true},
    {ThenFile("aux .txt"), "Windows reserves", true},
    {ThenFile("x."), "ending in a dot or a blank", true},
    {ThenFile("x "), "ending in a dot or a blank", true},
    {"PRAY", "it holds no blocks", true},
    {"PRAZ" + kGoodFirst.substr(4), "does not start with \"PRAY\"", false},
    {"PR", "shorter than the 4 bytes", false},
    {kGoodFirst + "FILE", "ends 4 bytes into a block header", false},
    {Then("FILE", "a", 3, 3, 0, "ab"), "claims 3 stored bytes, but only 2 remain", false},
    {Then("FILE", "a", 0xFFFFFFFF, 0xFFFFFFFF, 0, std::string(100, 'x')),
     "claims 4294967295 stored bytes, but only 100 remain", false},
    {Then("FILE", "b.wav", 3, 4, 0, "abc"),
     "block 2 (FILE \"b.wav\") at byte 284: an uncompressed block claims 3 stored but 4 unstored "
     "bytes; the two must be equal\n",
     false},
    {Then("FILE", "a", 3, 3, 2, "abc"), "set bits other than bit 0", false},
    {Then("FI.E", "a", 0, 0, 0), "type is not 4 letters or digits", false},
    {Then("FILE", std::string(128, 'n'), 0, 0, 0), "no zero byte to end it", false},
    {Then("FILE", "a", kPacked.size(), 999, 1, kPacked), "inflates to more than the 999 bytes",
     false},
    {Then("FILE", "a", kPacked.size(), 0xFFFFFFFF, 1, kPacked),
     "inflates to 1000 bytes, not the 4294967295", false},
    {Then("FILE", "a", 4, 10, 1, "junk"), "not a valid zlib stream", false},
    {Then("FILE", "a", 5, 1000, 1, kPacked.substr(0, 5)), "ends before its zlib stream does",
     false},
    {Then("FILE", "a", kPacked.size() + 2, 1000, 1, kPacked + "xx"),
     "2 bytes follow the end of the zlib stream", false},
    {Then("AGNT", "a", 4, 4, 0, "\xFF\xFF\xFF\xFF"), "claims 4294967295 integer tags", false},
    {Then("AGNT", "a", 12, 12, 0, std::string("\1\0\0\0\xFF\0\0\0\0\0\0\0", 12)),
     "claims 255 bytes, but only 4 remain", false},
    {Then("AGNT", "a", 26, 26, 0,
          std::string("\2\0\0\0\1\0\0\0k\1\0\0\0\1\0\0\0k\2\0\0\0\0\0\0\0", 26)),
     "the key \"k\" is given twice", false},
    {Then("AGNT", "a", 9, 9, 0, std::string(8, '\0') + "x"), "1 bytes follow the last tag", false},
};

class HostilePackageTable : public testing::TestWithParam<HostilePackage> {};

TEST_P(HostilePackageTable, IsRefusedWithNothingWritten) {
    TempFolder folder;
    WriteBytes(folder.path() / "P.agent", GetParam().bytes);
    const fs::path work = folder.path() / "deep" / "work";
    fs::create_directories(work);
    const std::string package = ToUtf8(folder.path() / "P.agent");
    const CliRun list = RunPray({"list", package}, work);
    EXPECT_EQ(list.status, GetParam().listable ? 0 : 1) << list.err;
    EXPECT_EQ(list.err.find(GetParam().gist) != std::string::npos, !GetParam().listable);
    for (const std::string into : {"", "out"}) {
        std::vector<std::string> arguments{"unpack", package};
        if (!into.empty()) arguments.push_back(into);
        const CliRun run = RunPray(arguments, work);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.starts_with("P.agent: ")) << run.err;
        EXPECT_NE(run.err.find(GetParam().gist), std::string::npos) << run.err;
    }
    EXPECT_EQ(FilesBelow(folder.path()),
              (std::vector<std::string>{"P.agent", "deep", "deep/work"}));
}

INSTANTIATE_TEST_SUITE_P(PrayPackages, HostilePackageTable, testing::ValuesIn(kHostilePackages));

}  // namespace
}  // namespace ormel::test

// Documents and what building them says: the cases of documents/, whose
// README says how they read.
#include <gtest/gtest.h>

#include "pray_test_support.h"

namespace fs = std::filesystem;

namespace ormel::test {
namespace {

void AddCaseFiles(const fs::path& folder) {
    for (const char* file : {"lantern.cos", "lantern.c16", "glow.wav"})
        fs::copy_file(FromUtf8(ORMEL_EXAMPLE_FOLDER) / file, folder / file);
    fs::create_directory(folder / "folder");
    WriteBytes(folder / "f.bin", "bytes");
    WriteBytes(folder / "NestJungles.cos", "nest");
    WriteBytes(folder / "Two.cos", "two");
    WriteBytes(folder / "TWO.cos", "TWO");  // on Windows the same file: no case- cases run
    WriteBytes(folder / "script.cos", "inst\r\n\"quoted\"\\");
    WriteBytes(folder / "big.txt", std::string(5000, 'x'));
    for (const char* empty : {"empty.bin", "huge.bin", "large.cos"}) WriteBytes(folder / empty, "");
    // Sparse, using no disk: a block's most bytes and a tag block's, each and one more.
    fs::resize_file(folder / "huge.bin", 0x100000000);
    fs::resize_file(folder / "large.cos", (64 << 20) + 1);
}

TEST(PrayDocuments, SayWhatTheirCasesExpect) {
    for (const fs::directory_entry& entry : fs::directory_iterator(ORMEL_DOCUMENT_CASES)) {
        const fs::path& document = entry.path();
        const std::string name = ToUtf8(document.filename());
        if (document.extension() != ".txt") continue;
#ifdef _WIN32
        if (name.starts_with("case-")) continue;  // names ignore letter case there
#endif
        SCOPED_TRACE(name);
        TempFolder folder;
        AddCaseFiles(folder.path());
        fs::copy_file(document, folder.path() / name);
        const fs::path package = folder.path() / document.stem().concat(".agent");
        WriteBytes(package, "an earlier package");
        const auto before = FilesBelow(folder.path());
        const CliRun run = RunPray({"--level", "0", name}, folder.path());
        const std::string expected = ReadBytes(fs::path(document).replace_extension(".expected"));
        EXPECT_EQ(run.out + run.err, expected);
        const bool refused = expected.find(": error: ") != std::string::npos;
        EXPECT_EQ(run.status, refused ? 1 : 0);
        EXPECT_EQ(FilesBelow(folder.path()), before);
        EXPECT_EQ(ReadBytes(package) == "an earlier package", refused);
        const fs::path listing = fs::path(document).replace_extension(".list");
        if (fs::exists(listing)) {
            EXPECT_EQ(RunPray({"list", ToUtf8(package)}).out, ReadBytes(listing));
        }
    }
}

}  // namespace
}  // namespace ormel::test

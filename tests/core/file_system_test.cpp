#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "agent/pray_source_writer.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "support/agent_record.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// A folder with two files to write, copy and delete.
class FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(folder.path() / "a.txt", "contents of a");
        WriteBytes(folder.path() / "b.txt", "the longer contents of b");
        fs::create_directory(folder.path() / "sub");
    }
    std::string At(std::string_view name) const { return JoinPath({ToUtf8(folder.path()), name}); }
    std::string Bytes(std::string_view name) const { return ReadBytes(FromUtf8(At(name))); }

    TempFolder folder;
    FileSystemObject fso;
};

// The document as the build writes it: create, drop the stream, get the
// file, open it for writing and let the writer fill it.
TEST_F(FileSystemTest, TheLanternDocumentHasTheExampleBytesExactly) {
    fso.CreateTextFile(At("Lantern.txt"), true, false);
    TextStream stream = fso.GetFile(At("Lantern.txt")).OpenAsTextStream();
    WritePraySource(Lantern(), stream);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(Bytes("Lantern.txt"),
              "\"en-GB\"\r\n"
              "\r\n"
              "group AGNT \"Lantern\"\r\n"
              "\r\n"
              "\"Agent Type\" 0\r\n"
              "\r\n"
              "\"Dependency Count\" 2\r\n"
              "\r\n"
              "\"Dependency 1\" \"lantern.c16\"\r\n"
              "\"Dependency 2\" \"glow.wav\"\r\n"
              "\r\n"
              "\"Dependency Category 1\" 2\r\n"
              "\"Dependency Category 2\" 1\r\n"
              "\r\n"
              "\"Script Count\" 1\r\n"
              "\r\n"
              "\"Script 1\" @ \"lantern.cos\"\r\n"
              "\r\n"
              "\"Agent Animation File\" \"lantern.c16\"\r\n"
              "\"Agent Animation Gallery\" \"lantern\"\r\n"
              "\"Agent Animation String\" \"0\"\r\n"
              "\r\n"
              "\"Agent Bioenergy Value\" 20\r\n"
              "\r\n"
              "\"Remove script\" \"enum CLASS kill targ next\"\r\n"
              "\r\n"
              "inline FILE \"lantern.c16\" \"lantern.c16\"\r\n"
              "inline FILE \"glow.wav\" \"glow.wav\"\r\n"
              "\r\n");
}

// Windows-1252, the ANSI code page of the machines we build and test on
// (Wine runs with LC_ALL=C, whose ANSI code page is 1252 as well). What it
// cannot hold is "?", never a look-alike ("a" for "ā", "8" for "∞").
TEST_F(FileSystemTest, TextIsWrittenInTheCodePageWithoutByteOrderMark) {
    const struct {
        const char* utf8;
        const char* bytes;
    } cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xC2\xA0\xC3\xBF", "caf\xE9 \x80 \xA0\xFF"},  // café € nbsp ÿ
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},                              // curly quotes
        {"\xC4\x81 \xE2\x88\x9E \xE4\xB8\xAD", "? ? ?"},                         // ā ∞ 中
#ifndef _WIN32
        // Our own table: the five holes of 1252 and malformed UTF-8.
        {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "?????"},
        {"a\xC3 \xFF \xC0\xAF", "a? ? ?"},
#endif
    };
    for (const auto& c : cases) EXPECT_EQ(ToAnsiCodePage(c.utf8), c.bytes) << c.utf8;

    TextStream stream = fso.CreateTextFile(At("a.txt"));
    stream.WriteLine("caf\xC3\xA9");
    stream.Close();
    EXPECT_EQ(Bytes("a.txt"), "caf\xE9\r\n");
}

TEST_F(FileSystemTest, CreateTextFileEmptiesAnExistingFileAndNeedsItsFolder) {
    fso.CreateTextFile(At("a.txt"));
    EXPECT_EQ(Bytes("a.txt"), "");
    EXPECT_THROW(fso.CreateTextFile(JoinPath({At("missing"), "c.txt"})), FileSystemError);
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
}

#ifdef __linux__
TEST_F(FileSystemTest, AFailedWriteIsReported) {
    // /dev/full fails every write with "no space left on device".
    TextStream stream = fso.CreateTextFile("/dev/full");
    EXPECT_THROW(stream.WriteLine("line"), FileSystemError);
}
#endif

// A copy of an author's read-only file carries no read-only mark over: the
// next build can replace it and the clean-up can delete it.
TEST_F(FileSystemTest, CopyReplacesTheDestinationAndDeleteRemovesOneFile) {
    fs::permissions(folder.path() / "a.txt", fs::perms::owner_read);  // read-only
    fso.CopyFile(At("a.txt"), At("b.txt"));
    fso.CopyFile(At("a.txt"), At("new.txt"));
    fso.CopyFile(At("a.txt"), At("new.txt"));
    EXPECT_EQ(Bytes("b.txt"), "contents of a");
    EXPECT_EQ(Bytes("new.txt"), "contents of a");
    fso.DeleteFile(At("new.txt"));
    EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
    EXPECT_TRUE(fs::exists(folder.path() / "b.txt"));
}

// "*" and "?" are ordinary characters: "*.txt" and "?.txt" name no file here.
TEST_F(FileSystemTest, FailedCopiesAndDeletionsChangeNothing) {
    fs::permissions(folder.path() / "b.txt", fs::perms::owner_read);  // read-only
    const std::pair<std::string, std::string> copies[] = {
        {At("missing.txt"), At("new.txt")},
        {At("sub"), At("new.txt")},
        {At("a.txt"), At("sub")},
        {At("a.txt"), At("b.txt")},                           // read-only
        {At("a.txt"), JoinPath({At("sub"), "..", "a.txt"})},  // onto itself
        {At("*.txt"), At("new.txt")},
    };
    for (const auto& [source, destination] : copies) {
        EXPECT_THROW(fso.CopyFile(source, destination), FileSystemError) << destination;
    }
    for (const char* name : {"missing.txt", "b.txt", "?.txt"}) {
        EXPECT_THROW(fso.DeleteFile(At(name)), FileSystemError) << name;
    }
    EXPECT_EQ(Bytes("a.txt"), "contents of a");
    EXPECT_EQ(Bytes("b.txt"), "the longer contents of b");
    EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
    EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));
}

}  // namespace
}  // namespace ormel::test

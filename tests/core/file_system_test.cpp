#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstring>
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
// file, open it for writing and let the writer fill it. The example's
// document is the one the form writes for it.
TEST_F(FileSystemTest, TheLanternDocumentHasTheExampleBytesExactly) {
    fso.CreateTextFile(At("Lantern.txt"), true, false);
    TextStream stream = fso.GetFile(At("Lantern.txt")).OpenAsTextStream();
    WritePraySource(Lantern(), stream);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(Bytes("Lantern.txt"), ReadBytes(FromUtf8(ORMEL_EXAMPLE_FOLDER) / "Lantern.txt"));
}

// Windows-1252, the ANSI code page of the machines we build and test on
// (Wine runs with LC_ALL=C, whose ANSI code page is 1252 as well). What it
// cannot hold is "?", never a look-alike ("a" for "ā", "8" for "∞").
TEST_F(FileSystemTest, TextIsWrittenInTheCodePageWithoutByteOrderMark) {
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xC2\xA0\xC3\xBF", "caf\xE9 \x80 \xA0\xFF"},  // café € nbsp ÿ
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},                              // curly quotes
        {"\xC4\x81 \xE2\x88\x9E \xE4\xB8\xAD", "? ? ?"},                         // ā ∞ 中
        {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "\x81\x8D\x8F\x90\x9D"},  // 1252's five holes
#ifndef _WIN32
        {"a\xC3 \xFF \xC0\xAF", "a? ? ?"},  // malformed UTF-8, by our own decoder
#endif
    };
    for (const auto& [utf8, bytes] : cases) {  // there, and back where nothing was lost
        EXPECT_EQ(ToAnsiCodePage(utf8), bytes) << utf8;
        EXPECT_EQ(std::strchr(bytes, '?') ? utf8 : FromAnsiCodePage(bytes), utf8);
    }
    TextStream stream = fso.CreateTextFile(At("a.txt"));  // emptied first
    stream.WriteLine("caf\xC3\xA9");
    stream.Close();
    EXPECT_EQ(Bytes("a.txt"), "caf\xE9\r\n");
    WriteBytes(folder.path() / "a.txt", "MX");  // only "MZ" starts a Windows program
    EXPECT_FALSE(IsWindowsProgram(At("a.txt")));
#ifdef __linux__
    // /dev/full fails every write with "no space left on device".
    EXPECT_THROW(fso.CreateTextFile("/dev/full").WriteLine("line"), FileSystemError);
#endif
}

// A copy of an author's read-only file carries no read-only mark over: the
// next build can replace it and the clean-up can delete it. Failed copies
// and deletions change nothing; "*" and "?" are ordinary characters, so
// "*.txt" and "?.txt" name no file here.
TEST_F(FileSystemTest, CopiesAndDeletesOneFileOrChangesNothing) {
    fs::permissions(folder.path() / "a.txt", fs::perms::owner_read);  // read-only
    fso.CopyFile(At("b.txt"), At("c.txt"));
    fso.CopyFile(At("a.txt"), At("c.txt"));  // the shorter replaces the longer
    fso.CopyFile(At("a.txt"), At("c.txt"));
    // A writable file reached by another path is still the same file.
    EXPECT_THROW(fso.CopyFile(At("c.txt"), JoinPath({At("sub"), "..", "c.txt"})), FileSystemError);
    EXPECT_EQ(Bytes("c.txt"), "contents of a");
    fso.DeleteFile(At("c.txt"));
    EXPECT_FALSE(fs::exists(folder.path() / "c.txt"));

    fs::permissions(folder.path() / "b.txt", fs::perms::owner_read);
    const std::pair<std::string, std::string> copies[] = {
        {At("missing.txt"), At("new.txt")}, {At("sub"), At("new.txt")},
        {At("a.txt"), At("sub")},           {At("a.txt"), At("b.txt")},  // read-only
        {At("*.txt"), At("new.txt")},
    };
    for (const auto& [source, destination] : copies) {
        EXPECT_THROW(fso.CopyFile(source, destination), FileSystemError) << destination;
    }
    for (const char* name : {"missing.txt", "b.txt", "?.txt"}) {
        EXPECT_THROW(fso.DeleteFile(At(name)), FileSystemError) << name;
    }
    EXPECT_EQ(Bytes("a.txt") + Bytes("b.txt"), "contents of athe longer contents of b");
    EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
    EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));
}

}  // namespace
}  // namespace ormel::test

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "build/pray_source_writer.h"
#include "platform/paths.h"
#include "support/agent_record.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// The document as the build writes it: create, drop the stream, get the
// file, open it for writing and let the writer fill it.
void WriteDocument(const AgentDescription& agent, const std::string& path) {
    FileSystemObject fso;
    fso.CreateTextFile(path, true, false);
    File file = fso.GetFile(path);
    TextStream stream = file.OpenAsTextStream(IOMode::ForWriting, TextFormat::Ascii);
    WritePraySource(agent, stream);
    EXPECT_FALSE(stream.IsOpen());
}

TEST(Document, HasTheLanternExampleBytesExactly) {
    TempFolder folder;
    const std::string path = JoinPath({folder.Utf8(), "Lantern.txt"});
    WriteDocument(Lantern(), path);
    EXPECT_EQ(ReadBytes(folder.path() / "Lantern.txt"),
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

TEST(Document, IsWrittenInTheCodePageWithoutByteOrderMark) {
    TempFolder folder;
    AgentRecord agent = Lantern();
    agent.name = "Caf\xC3\xA9 \xE2\x82\xAC \xC4\x81 \xE4\xB8\xAD";  // Café € ā 中
    const std::string path = JoinPath({folder.Utf8(), "doc.txt"});
    WriteDocument(agent, path);
    const std::string bytes = ReadBytes(folder.path() / "doc.txt");
    EXPECT_EQ(bytes.substr(0, 9), "\"en-GB\"\r\n");  // no byte-order mark
    EXPECT_NE(bytes.find("group AGNT \"Caf\xE9 \x80 ? ?\"\r\n"), std::string::npos);
}

TEST(FileSystemObject, CreateTextFileInAMissingFolderFailsAndCreatesNothing) {
    TempFolder folder;
    FileSystemObject fso;
    EXPECT_THROW(fso.CreateTextFile(JoinPath({folder.Utf8(), "missing", "a.txt"})),
                 FileSystemError);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(FileSystemObject, CreateTextFileEmptiesAnExistingFile) {
    TempFolder folder;
    WriteBytes(folder.path() / "old.txt", "previous contents");
    FileSystemObject fso;
    fso.CreateTextFile(JoinPath({folder.Utf8(), "old.txt"}));
    EXPECT_EQ(fs::file_size(folder.path() / "old.txt"), 0u);
}

TEST(FileSystemObject, OpenAsTextStreamWritesFromTheStart) {
    TempFolder folder;
    WriteBytes(folder.path() / "doc.txt", "a much longer earlier text");
    FileSystemObject fso;
    TextStream stream = fso.GetFile(JoinPath({folder.Utf8(), "doc.txt"})).OpenAsTextStream();
    stream.WriteLine("new");
    stream.Close();
    EXPECT_EQ(ReadBytes(folder.path() / "doc.txt"), "new\r\n");
}

TEST(FileSystemObject, GetFileFailsForAMissingFileOrAFolder) {
    TempFolder folder;
    FileSystemObject fso;
    EXPECT_THROW(fso.GetFile(JoinPath({folder.Utf8(), "missing.txt"})), FileSystemError);
    EXPECT_THROW(fso.GetFile(folder.Utf8()), FileSystemError);
}

TEST(TextStream, ReportsUseAfterClose) {
    TempFolder folder;
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile(JoinPath({folder.Utf8(), "a.txt"}));
    stream.Close();
    EXPECT_THROW(stream.WriteLine("late"), FileSystemError);
    EXPECT_THROW(stream.Close(), FileSystemError);
}

#ifdef __linux__
TEST(TextStream, ReportsAFailedWrite) {
    // /dev/full fails every write with "no space left on device".
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile("/dev/full");
    EXPECT_THROW(stream.WriteLine("line"), FileSystemError);
}
#endif

// Marks a file read-only the way the author's tools would: no write bits on
// POSIX, the read-only attribute on Windows.
void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool IsWritable(const fs::path& file) {
    return (fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// A folder with two files to copy and delete.
class FileOperations : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(folder.path() / "a.txt", "contents of a");
        WriteBytes(folder.path() / "b.txt", "contents of b");
    }
    std::string At(std::string_view name) const { return JoinPath({folder.Utf8(), name}); }

    TempFolder folder;
    FileSystemObject fso;
};

TEST_F(FileOperations, CopyFileCopiesTheBytesAndReplacesAnExistingDestination) {
    fso.CopyFile(At("a.txt"), At("new.txt"));
    EXPECT_EQ(ReadBytes(folder.path() / "new.txt"), "contents of a");
    fso.CopyFile(At("a.txt"), At("b.txt"), true);
    EXPECT_EQ(ReadBytes(folder.path() / "b.txt"), "contents of a");
    EXPECT_EQ(ReadBytes(folder.path() / "a.txt"), "contents of a");
}

TEST_F(FileOperations, CopyFileCopiesALargeFileWhole) {
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 % 251);
    WriteBytes(folder.path() / "large.bin", large);
    WriteBytes(folder.path() / "old.bin", std::string(5 * 1024 * 1024, 'x'));
    fso.CopyFile(At("large.bin"), At("old.bin"));
    EXPECT_TRUE(ReadBytes(folder.path() / "old.bin") == large);
}

TEST_F(FileOperations, CopyFileFailsAndChangesNothing) {
    fs::create_directory(folder.path() / "sub");
    struct Case {
        const char* what;
        std::string source;
        std::string destination;
        bool overwrite;
    };
    const Case cases[] = {
        {"missing source", At("missing.txt"), At("new.txt"), true},
        {"source is a folder", At("sub"), At("new.txt"), true},
        {"destination folder missing", At("a.txt"), JoinPath({At("nowhere"), "a.txt"}), true},
        {"destination is a folder", At("a.txt"), At("sub"), true},
        {"destination exists, no overwrite", At("a.txt"), At("b.txt"), false},
        {"onto itself", At("a.txt"), At("a.txt"), true},
        {"onto itself, spelled differently", At("a.txt"), JoinPath({At("sub"), "..", "a.txt"}),
         true},
        {"wildcard source", At("*.txt"), At("new.txt"), true},
        {"question mark source", At("?.txt"), At("new.txt"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(fso.CopyFile(c.source, c.destination, c.overwrite), FileSystemError);
        EXPECT_EQ(ReadBytes(folder.path() / "a.txt"), "contents of a");
        EXPECT_EQ(ReadBytes(folder.path() / "b.txt"), "contents of b");
        EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
        EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));
    }
}

TEST_F(FileOperations, CopyFileStopsAtAReadOnlyDestination) {
    MakeReadOnly(folder.path() / "b.txt");
    EXPECT_THROW(fso.CopyFile(At("a.txt"), At("b.txt")), FileSystemError);
    EXPECT_EQ(ReadBytes(folder.path() / "b.txt"), "contents of b");
}

TEST_F(FileOperations, ACopyOfAReadOnlyFileCanBeReplacedAndDeleted) {
    MakeReadOnly(folder.path() / "a.txt");
    fso.CopyFile(At("a.txt"), At("copy.txt"));
    EXPECT_TRUE(IsWritable(folder.path() / "copy.txt"));
    fso.CopyFile(At("a.txt"), At("copy.txt"));
    fso.DeleteFile(At("copy.txt"), false);
    EXPECT_FALSE(fs::exists(folder.path() / "copy.txt"));
    EXPECT_FALSE(IsWritable(folder.path() / "a.txt"));
}

TEST_F(FileOperations, DeleteFileDeletesOneFile) {
    fso.DeleteFile(At("a.txt"), false);
    EXPECT_FALSE(fs::exists(folder.path() / "a.txt"));
    EXPECT_TRUE(fs::exists(folder.path() / "b.txt"));
}

TEST_F(FileOperations, DeleteFileFailsAndDeletesNothing) {
    fs::create_directory(folder.path() / "sub");
    MakeReadOnly(folder.path() / "b.txt");
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"missing file", At("missing.txt")}, {"read-only file", At("b.txt")}, {"folder", At("sub")},
        {"wildcard", At("*.txt")},           {"question mark", At("?.txt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(fso.DeleteFile(c.path, false), FileSystemError);
        EXPECT_TRUE(fs::exists(folder.path() / "a.txt"));
        EXPECT_TRUE(fs::exists(folder.path() / "b.txt"));
        EXPECT_TRUE(fs::exists(folder.path() / "sub"));
    }
}

TEST_F(FileOperations, DeleteFileWithForceDeletesAReadOnlyFile) {
    MakeReadOnly(folder.path() / "b.txt");
    fso.DeleteFile(At("b.txt"), true);
    EXPECT_FALSE(fs::exists(folder.path() / "b.txt"));
}

TEST_F(FileOperations, SameExistingFileSeesThroughSpelling) {
    fs::create_directory(folder.path() / "sub");
    EXPECT_TRUE(IsSameExistingFile(At("a.txt"), JoinPath({At("sub"), "..", "a.txt"})));
    EXPECT_FALSE(IsSameExistingFile(At("a.txt"), At("b.txt")));
    EXPECT_FALSE(IsSameExistingFile(At("missing.txt"), At("missing.txt")));
#ifdef _WIN32
    EXPECT_TRUE(IsSameExistingFile(At("a.txt"), At("A.TXT")));
#endif
}

TEST(Paths, JoinWithOneSeparatorAndKeepEmptyPieces) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(JoinPath({"prog", "Lantern", "Lantern.txt"}),
              "prog" + sep + "Lantern" + sep + "Lantern.txt");
    EXPECT_EQ(JoinPath({"prog", "", ".txt"}), "prog" + sep + sep + ".txt");
}

}  // namespace
}  // namespace ormel::test

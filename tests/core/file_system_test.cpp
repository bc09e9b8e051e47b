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

TEST(Paths, JoinWithOneSeparatorAndKeepEmptyPieces) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(JoinPath({"prog", "Lantern", "Lantern.txt"}),
              "prog" + sep + "Lantern" + sep + "Lantern.txt");
    EXPECT_EQ(JoinPath({"prog", "", ".txt"}), "prog" + sep + sep + ".txt");
}

}  // namespace
}  // namespace ormel::test

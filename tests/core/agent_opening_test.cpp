// Packages and documents from opening/: any file there but NAME.expected,
// which holds the lines of the refusal, or for a case that the form holds,
// the values it opens (see Opened below). Files come along from a package
// or from beside a document: all of them, or none.
#include "agent/agent_opening.h"

#include <gtest/gtest.h>
#include <algorithm>

#include "platform/paths.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// The opened values, the files missing and those to bring (with their
// sizes), a line each.
std::string Opened(const AgentOpening& opening) {
    const OpenedAgent& agent = *opening.agent;
    std::string text = agent.block + " \"" + agent.name + "\" description \"" + agent.description +
                       "\" first image \"" + agent.first_image + "\"\nrows:";
    for (const OpenedRow& row : agent.rows)
        if (row.used) text += " " + row.file + " " + std::to_string(*row.entry);
    text += "\nscript \"" + agent.cos_file + "\" image \"" + agent.image + agent.image_ext +
            "\" animation \"" + agent.animation + "\" bioenergy \"" + agent.bioenergy +
            "\" remove \"" + agent.remove_script + "\"\nmissing:";
    for (std::string file : opening.missing) {
        std::replace(file.begin(), file.end(), kPathSeparator, '/');
        text += ' ';
        text += file;
    }
    text += "\nbring:";
    for (const FileToBring& file : opening.to_bring)
        text += " " + file.name + " (" + std::to_string(file.bytes.size()) + ")";
    return text + "\nscript brought as \"" + opening.brought_cos_file + "\"\n";
}

TEST(AgentOpening, RefusesWhatTheFormCannotHoldLineByLine) {
    for (const fs::directory_entry& entry : fs::directory_iterator(ORMEL_OPENING_CASES)) {
        const fs::path& input = entry.path();
        if (input.extension() == ".expected" || entry.is_directory()) continue;
        SCOPED_TRACE(ToUtf8(input.filename()));
        const AgentOpening opening = OpenAgent(ToUtf8(input), ToUtf8(input.parent_path()));
        std::string lines;
        for (const std::string& line : opening.refusal) lines += line + "\n";
        if (opening.agent) lines = Opened(opening);
        EXPECT_EQ(lines, ReadBytes(fs::path(input).replace_extension(".expected")));
    }
}

std::size_t FileCount(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), {}));
}

// A file of the agent folder that differs, or a name taken since opening,
// writes nothing; then all come, the package's script under a name of its
// own, and the agent opens again with nothing to bring.
TEST(AgentOpening, BringsThePackagesFilesAllOrNothing) {
    TempFolder program;
    const std::string package = ORMEL_OPENING_CASES "/published-dsag.agent";
    const fs::path folder = program.path() / "Lantern";
    fs::create_directory(folder);
    WriteBytes(folder / "glow_1.wav", "other");
    AgentOpening opening = OpenAgent(package, ToUtf8(program.path()));
    ASSERT_EQ(opening.differing.size(), 1u);
    EXPECT_TRUE(opening.differing[0].ends_with("glow_1.wav"));
    EXPECT_THROW(BringFiles(opening, ToUtf8(program.path())), std::runtime_error);
    EXPECT_EQ(FileCount(folder), 1u);
    fs::remove(folder / "glow_1.wav");

    opening = OpenAgent(package, ToUtf8(program.path()));
    fs::create_directory(folder / "Lantern.cos");
    try {
        BringFiles(opening, ToUtf8(program.path()));
        ADD_FAILURE() << "a folder took the script's name";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Lantern.cos"), std::string::npos);
    }
    EXPECT_EQ(FileCount(folder), 1u);

    fs::remove_all(folder);
    BringFiles(opening, ToUtf8(program.path()));
    EXPECT_EQ(FileCount(folder), 3u);
    for (const FileToBring& file : opening.to_bring)
        EXPECT_EQ(ReadBytes(folder / FromUtf8(file.name)), file.bytes);
    const AgentOpening again = OpenAgent(package, ToUtf8(program.path()));
    EXPECT_TRUE(again.to_bring.empty() && again.differing.empty());
    EXPECT_EQ(again.missing.size(), 1u);  // glow:1.wav, brought as glow_1.wav
    EXPECT_EQ(again.agent->cos_file, opening.brought_cos_file);
}

// A document's files come from beside it, the script's named file among
// them; one that is not there is not brought.
TEST(AgentOpening, BringsTheFilesBesideADocument) {
    TempFolder program;
    const fs::path document = program.path() / "source" / "lantern";
    fs::create_directory(document.parent_path());
    fs::copy_file(ORMEL_OPENING_CASES "/published-document.ps", document);
    WriteBytes(document.parent_path() / "lantern.cos", "inst");
    WriteBytes(document.parent_path() / "lantern.c16", "c16");
    const AgentOpening opening = OpenAgent(ToUtf8(document), ToUtf8(program.path()));
    ASSERT_EQ(opening.to_bring.size(), 2u);
    EXPECT_EQ(opening.to_bring[0].name + opening.to_bring[1].name, "lantern.c16lantern.cos");
    EXPECT_EQ(opening.to_bring[1].bytes, "inst");
    EXPECT_EQ(opening.brought_cos_file, "");
    BringFiles(opening, ToUtf8(program.path()));
    EXPECT_EQ(ReadBytes(program.path() / "Lantern" / "lantern.c16"), "c16");
}

}  // namespace
}  // namespace ormel::test

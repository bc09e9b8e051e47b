#include "agent/agent_picture.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/sprite_writer.h"
#include "support/temp_folder.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

SpriteImage Filled(int width, int height, std::uint16_t pixel) {
    return {width, height,
            std::vector<std::uint16_t>(static_cast<std::size_t>(width * height), pixel)};
}

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    for (std::size_t at = 0;;) {
        const std::size_t bar = line.find(" | ", at);
        std::string column = line.substr(at, bar == std::string::npos ? bar : bar - at);
        columns.push_back(column == "-" ? "" : column);
        if (bar == std::string::npos) return columns;
        at = bar + 3;
    }
}

std::string Joined(const std::vector<int>& images) {
    std::string text;
    for (int image : images) {
        if (!text.empty()) text += ' ';
        text += std::to_string(image);
    }
    return text;
}

// Every case of picture_cases.txt, whose head says how it reads.
TEST(AgentPicture, ChoosesTheImagesAndSaysWhy) {
    TempFolder program;
    const fs::path agent = program.path() / "Lantern";
    fs::create_directories(agent);
    WriteBytes(agent / "lamp.c16",
               SpriteBytes(
                   true, {Filled(24, 32, 0xF800), Filled(24, 32, 0x07E0), Filled(20, 30, 0x001F)}));
    WriteBytes(agent / "still.s16", SpriteBytes(false, {Filled(2, 2, 0xFFFF)}));
    WriteBytes(agent / "broken.c16", SpriteBytes(true, {Filled(24, 32, 0xF800)}).substr(0, 9));

    std::istringstream lines(ReadBytes(FromUtf8(ORMEL_PICTURE_CASES)));
    SpriteFileCache files;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.starts_with('#')) continue;
        const std::vector<std::string> c = Columns(line);
        ASSERT_EQ(c.size(), 8u) << line;
        const Picture picture =
            ChoosePicture({ToUtf8(program.path()), c[1], c[2], c[3], c[4], c[5]}, files);
        EXPECT_EQ(Joined(picture.images), c[6]) << c[0];
        if (c[7].ends_with("...")) {
            EXPECT_TRUE(picture.line.starts_with(c[7].substr(0, c[7].size() - 3)))
                << c[0] << ": " << picture.line;
            EXPECT_GT(picture.line.size(), c[7].size()) << c[0] << ": the reader's reason";
        } else {
            EXPECT_EQ(picture.line, c[7]) << c[0];
        }
    }
}

// The header is read again once the file changes, and not before.
TEST(AgentPicture, KeepsTheOpenedFileWhileItIsUnchanged) {
    TempFolder program;
    const fs::path file = program.path() / "lamp.s16";
    WriteBytes(file, SpriteBytes(false, {Filled(2, 2, 1)}));
    SpriteFileCache files;
    const auto opened = files.Open(file);
    EXPECT_EQ(files.Open(file), opened);
    WriteBytes(file, SpriteBytes(false, {Filled(2, 2, 1), Filled(3, 3, 1)}));
    EXPECT_EQ(files.Open(file)->Count(), 2);
}

}  // namespace
}  // namespace ormel::test

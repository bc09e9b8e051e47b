// The sprite reader against files made here: both kinds, both pixel formats,
// pixel for pixel; and the damaged files of damaged_files.txt.
#include "sprite/sprite_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_folder.h"

namespace ormel::sprite {
namespace {

using test::TempFolder;
using test::WriteBytes;

// The bytes a recipe gives (see damaged_files.txt).
std::string Bytes(const std::string& recipe) {
    std::istringstream in(recipe);
    std::string bytes;
    for (std::string token; in >> token;) {
        const std::size_t star = token.find('*');
        const int times = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
        token = token.substr(0, star);
        std::string one;
        const int width = token[0] == 'w' ? 2 : token[0] == 'd' ? 4 : 1;
        const unsigned long value =
            std::stoul(token.substr(width == 1 ? 0 : 2), nullptr, width == 1 ? 16 : 0);
        for (int shift = 0; shift < 8 * width; shift += 8) one += static_cast<char>(value >> shift);
        for (int i = 0; i < times; ++i) bytes += one;
    }
    return bytes;
}

// A name that a narrow path on Windows would not reach.
const std::filesystem::path kName = test::FromUtf8("\xC5\xBEiv\xC3\xA9-\xD0\xB6.c16");

struct Written {
    TempFolder folder;
    SpriteFile file;
    explicit Written(const std::string& recipe) : file(Open(folder, Bytes(recipe))) {}
    static SpriteFile Open(const TempFolder& folder, const std::string& bytes) {
        WriteBytes(folder.path() / kName, bytes);
        return SpriteFile::Open(folder.path() / kName);
    }
};

TEST(SpriteFile, ReadsTheTestVector) {
    const Written vector(
        "03 00 00 00  01 00  0E 00 00 00  02 00  01 00  02 00  03 00  FF FF  00 00  00 00");
    EXPECT_EQ(vector.file.Kind(), Compression::RunLength);
    EXPECT_EQ(vector.file.Format(), PixelFormat::Rgb565);
    const Image image = vector.file.Read(0);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.argb, (std::vector<std::uint32_t>{0, 0xFFFFFFFF}));
}

// Two 5-5-5 images: 3 x 2 whose lines lie apart (the second before the
// first), and 1 x 1 black, opaque in a run of colour.
TEST(SpriteFile, ReadsRunLength555) {
    const Written c16(
        "d:2 w:2  d:58 w:3 w:2 d:30  d:68 w:1 w:1  00*4  w:3 w:0x1F w:4 w:0  00*20 "
        "w:7 w:0x7C00 w:0x3E0 w:0x7FFF w:0  w:3 w:0 w:0");
    EXPECT_EQ(c16.file.Format(), PixelFormat::Rgb555);
    ASSERT_EQ(c16.file.Count(), 2);
    EXPECT_EQ(c16.file.Size(0).height, 2);
    EXPECT_EQ(c16.file.Read(0).argb,
              (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFFFFFFFF,  // line at 58
                                          0xFF0000FF, 0, 0}));                 // line at 30
    EXPECT_EQ(c16.file.Read(1).argb, std::vector<std::uint32_t>{0xFF000000});
    EXPECT_THROW(c16.file.Read(2), std::out_of_range);
    EXPECT_THROW(c16.file.Size(-1), std::out_of_range);
}

// Each channel's low bits repeat its top bits: 5-6-5 0x0841 is 1, 2, 1.
TEST(SpriteFile, ReadsPlainInBothFormatsWithZeroTransparent) {
    const Written s565("d:1 w:1 d:14 w:3 w:1  w:0 w:0x841 w:0xF800");
    EXPECT_EQ(s565.file.Kind(), Compression::Plain);
    EXPECT_EQ(s565.file.Read(0).argb, (std::vector<std::uint32_t>{0, 0xFF080808, 0xFFFF0000}));
    const Written s555("d:0 w:1 d:14 w:1 w:2  w:0x421 w:0");
    EXPECT_EQ(s555.file.Format(), PixelFormat::Rgb555);
    EXPECT_EQ(s555.file.Read(0).argb, (std::vector<std::uint32_t>{0xFF080808, 0}));
}

// The file is not held open: an editor may rewrite it meanwhile.
TEST(SpriteFile, ReportsAFileThatBecameShorterSinceItWasOpened) {
    const Written s16("d:1 w:1 d:14 w:2 w:1  w:0x841 w:0x841");
    WriteBytes(s16.folder.path() / kName, Bytes("d:1 w:1 d:14 w:2 w:1  w:0x841"));
    try {
        (void)s16.file.Read(0);
        FAIL();
    } catch (const SpriteError& error) {
        EXPECT_STREQ(error.what(),
                     "image 0, byte 14: the file has become shorter since it was opened: it "
                     "ends at byte 16");
    }
}

TEST(SpriteFile, NamesAFileItCannotReadWithTheSystemsReason) {
    TempFolder folder;
    try {
        SpriteFile::Open(folder.path() / kName);
        FAIL();
    } catch (const SpriteError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("cannot read "), std::string::npos) << text;
        EXPECT_NE(text.find(test::ToUtf8(kName) + ": "), std::string::npos) << text;
    }
}

// damaged_files.txt: each case the same from the file and from memory.
TEST(SpriteFile, ReportsDamagedFilesAsTheCasesSay) {
    std::ifstream cases(ORMEL_SPRITE_DAMAGED_FILES);
    ASSERT_TRUE(cases);
    int count = 0;
    for (std::string note, recipe, error; std::getline(cases, note);) {
        if (!note.starts_with("# ")) continue;
        std::getline(cases, recipe);
        std::getline(cases, error);
        SCOPED_TRACE(note);
        ++count;
        const std::size_t colon = error.find(": ");
        const std::string step = error.substr(0, colon), want = error.substr(colon + 2);
        for (const bool memory : {false, true}) {
            TempFolder folder;
            try {
                const SpriteFile file = memory ? SpriteFile::FromBytes(Bytes(recipe))
                                               : Written::Open(folder, Bytes(recipe));
                ASSERT_NE(step, "open") << "opened";
                (void)file.Read(std::stoi(step.substr(5)));
                ADD_FAILURE() << "read";
            } catch (const SpriteError& caught) {
                EXPECT_EQ(caught.what(), want);
            }
        }
    }
    EXPECT_GT(count, 10);
}

}  // namespace
}  // namespace ormel::sprite

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace ormel::test {
namespace {

struct EncodingCase {
    const char* utf8;
    const char* bytes;
};

// Windows-1252, the ANSI code page of the machines we build and test on
// (Wine runs with LC_ALL=C, whose ANSI code page is 1252 as well).
const EncodingCase kCases[] = {
    {"plain ASCII \"quoted\" \\", "plain ASCII \"quoted\" \\"},
    {"caf\xC3\xA9", "caf\xE9"},  // é
    {"\xE2\x82\xAC", "\x80"},    // €
    {"\xE2\x80\x9C"
     "a"
     "\xE2\x80\x9D",
     "\x93"
     "a"
     "\x94"},                          // curly quotes
    {"\xC5\xBD", "\x8E"},              // Ž
    {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},  // no-break space, ÿ
    {"\xC4\x81", "?"},                 // ā: no look-alike "a"
    {"\xE2\x88\x9E", "?"},             // ∞: no look-alike "8"
    {"\xE4\xB8\xAD"
     "x",
     "?x"},  // 中
};

TEST(TextEncoding, ConvertsToTheAnsiCodePage) {
    for (const auto& c : kCases) {
        EXPECT_EQ(ToAnsiCodePage(c.utf8), c.bytes) << c.utf8;
    }
}

#ifndef _WIN32
// Windows maps the five holes of 1252 to C1 controls; our own table leaves
// them out, so those controls are written as "?".
TEST(TextEncoding, NeverWritesTheUndefinedBytes) {
    EXPECT_EQ(ToAnsiCodePage("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"), "?????");
}

TEST(TextEncoding, TurnsMalformedUtf8IntoQuestionMarks) {
    EXPECT_EQ(ToAnsiCodePage("a\xC3"), "a?");
    EXPECT_EQ(ToAnsiCodePage("\xFF"
                             "b"),
              "?b");
    EXPECT_EQ(ToAnsiCodePage("\xC0\xAF"), "?");  // overlong "/"
}
#endif

}  // namespace
}  // namespace ormel::test

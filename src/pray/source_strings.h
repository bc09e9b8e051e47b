// The source language's strings: how a double-byte letter stays whole in
// one, and how any bytes are written as one.
#pragma once

#include <string>
#include <string_view>

namespace ormel::pray {

// In the double-byte code pages of Windows the second byte of a character
// may be a backslash, which is then no escape: the two bytes stay together.
// A second byte is never below 0x40, so a quote or a line end after a lead
// byte still counts as such. True when text starts with such a letter.
bool OpensDoubleByteCharacter(std::string_view text);

// The bytes as a source string, double quotes included, that reads back as
// exactly these bytes.
std::string QuoteSourceString(std::string_view bytes);

}  // namespace ormel::pray

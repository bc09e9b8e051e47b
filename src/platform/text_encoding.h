// The one 8-bit code page that the form writes its document in and the
// bundled builder reads it in: the system's ANSI code page on Windows,
// Windows-1252 elsewhere. Text inside the program is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ormel {

// The code page's number: GetACP() on Windows, 1252 elsewhere.
unsigned AnsiCodePage();

// Converts UTF-8 text into the code page. A character the code page cannot
// hold, and a byte that is not valid UTF-8, becomes "?"; no look-alike
// replaces it.
std::string ToAnsiCodePage(std::string_view utf8);

// The first character of the UTF-8 text that the code page cannot hold (a
// byte that is not valid UTF-8 included), or none when it holds them all.
std::optional<std::string> FirstCharacterOutsideCodePage(std::string_view utf8);

// Text in the code page as UTF-8. Every byte stands for a character; in
// Windows-1252 the five bytes it leaves undefined stand for the control
// character of the same number, as Windows reads them.
std::string FromAnsiCodePage(std::string_view bytes);

// Whether the byte opens a character of two bytes in the code page, whose
// second byte may be a backslash ("\x83\x5C" is the katakana "so" in code
// page 932). Only the double-byte code pages of Windows (932, 936, 949, 950)
// have such bytes; Windows-1252 has none.
bool IsDoubleByteLead(char byte);

#ifdef _WIN32
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
#endif

}  // namespace ormel

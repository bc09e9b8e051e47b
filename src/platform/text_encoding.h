#pragma once

#include <string>
#include <string_view>

namespace ormel {

// Converts UTF-8 text into the 8-bit code page that text files are written
// in: the system's ANSI code page on Windows, Windows-1252 elsewhere. A
// character the code page cannot hold, and a byte that is not valid UTF-8,
// becomes "?"; no look-alike replaces it.
std::string ToAnsiCodePage(std::string_view utf8);

#ifdef _WIN32
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
#endif

}  // namespace ormel

#include "pray/file_names.h"

#include <algorithm>
#include <array>
#include <cctype>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <wctype.h>
#endif

namespace ormel::pray {

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five bytes that
// it leaves undefined stand for the control character of the same number, as
// Windows reads them.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::u8string& out, char16_t code) {
    if (code < 0x80) {
        out += static_cast<char8_t>(code);
    } else if (code < 0x800) {
        out += static_cast<char8_t>(0xC0 | (code >> 6));
        out += static_cast<char8_t>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char8_t>(0xE0 | (code >> 12));
        out += static_cast<char8_t>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char8_t>(0x80 | (code & 0x3F));
    }
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, also with an extension
// or blanks after them.
bool IsReservedOnWindows(std::string_view name) {
    std::string stem = UpperCase(name.substr(0, name.find('.')));
    stem.erase(stem.find_last_not_of(' ') + 1);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

#ifndef _WIN32
// The name's characters in upper case. Bytes that are no UTF-8 stand for
// themselves; both names of a comparison are read the same way.
std::u32string UpperCaseName(std::string_view utf8) {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    std::u32string upper;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (i + extra >= utf8.size()) extra = 0;  // a cut sequence: its bytes as they are
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 0; k < extra; ++k) code = code << 6 | (utf8[++i] & 0x3F);
        upper += unicode ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(code), unicode))
                 : code < 0x80 ? static_cast<char32_t>(std::toupper(static_cast<int>(code)))
                               : code;
    }
    return upper;
}
#endif

}  // namespace

std::filesystem::path PathFromNameBytes(std::string_view name, bool utf8) {
    std::u8string text;
    if (utf8) {
        text.assign(name.begin(), name.end());
    } else {
        for (const char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            AppendUtf8(text, byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
        }
    }
    return std::filesystem::path(text);
}

std::optional<std::string> UnsafeFileNameReason(std::string_view name) {
    if (name.empty()) return "an empty name";
    if (name == "." || name == "..") return "a name that stands for a folder";
    if (std::any_of(name.begin(), name.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7F; })) {
        return "a name holding a control character";
    }
    if (name.find_first_of("/\\") != std::string_view::npos) return "a path, not a plain name";
    if (name.find_first_of(":*?\"<>|") != std::string_view::npos) {
        return "a character that Windows does not allow in names (: * ? \" < > |)";
    }
    if (name.back() == '.' || name.back() == ' ') {
        return "a name ending in a dot or a blank, which Windows drops";
    }
    if (IsReservedOnWindows(name)) return "a name that Windows reserves for a device";
    return std::nullopt;
}

int CompareNamesAsWindows(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                static_cast<int>(y.size()), TRUE) -
           CSTR_EQUAL;
#else
    return UpperCaseName(a.native()).compare(UpperCaseName(b.native()));
#endif
}

}  // namespace ormel::pray

#include "pray/file_names.h"

#include <algorithm>
#include <cctype>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <wctype.h>
#endif

#include "platform/text_encoding.h"

namespace ormel::pray {

namespace {

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// What Windows does not allow in a name, besides control characters.
constexpr const char* kNotInNames = "/\\:*?\"<>|";

// The longest name written, in UTF-8 bytes, below the 255 that file systems
// allow so that a number added to tell names apart still fits.
constexpr std::size_t kMostFileNameBytes = 240;

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
    return PathFromUtf8(NameText(name, utf8));
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string NameText(std::string_view name, bool utf8) {
    return utf8 ? std::string(name) : FromAnsiCodePage(name);
}

std::optional<std::string> UnsafeFileNameReason(std::string_view name_bytes) {
    // Judged as the name that the file will have: in a double-byte code page
    // a backslash byte may be the second half of a letter.
    const std::string name = NameText(name_bytes);
    if (name.empty()) return "an empty name";
    if (name == "." || name == "..") return "a name that stands for a folder";
    if (std::any_of(name.begin(), name.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7F; })) {
        return "a name holding a control character";
    }
    if (name.find_first_of("/\\") != std::string::npos) return "a path, not a plain name";
    if (name.find_first_of(kNotInNames) != std::string::npos) {
        return "a character that Windows does not allow in names (: * ? \" < > |)";
    }
    if (name.size() > kMostFileNameBytes) return "a name too long for a file";
    if (name.back() == '.' || name.back() == ' ') {
        return "a name ending in a dot or a blank, which Windows drops";
    }
    if (IsReservedOnWindows(name)) return "a name that Windows reserves for a device";
    return std::nullopt;
}

std::string SafeFileName(std::string_view name_bytes) {
    if (!UnsafeFileNameReason(name_bytes)) return std::string(name_bytes);
    std::string safe;
    for (std::size_t i = 0; i < name_bytes.size(); ++i) {
        const char byte = name_bytes[i];
        if (IsDoubleByteLead(byte) && i + 1 < name_bytes.size()) {  // a letter, kept whole
            safe.append(name_bytes.substr(i++, 2));
        } else if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F ||
                   std::string_view(kNotInNames).find(byte) != std::string_view::npos) {
            safe += '_';
        } else {
            safe += byte;
        }
    }
    for (auto end = safe.rbegin(); end != safe.rend() && (*end == '.' || *end == ' '); ++end) {
        *end = '_';
    }
    while (NameText(safe).size() > kMostFileNameBytes) safe.pop_back();
    if (safe.empty() || IsReservedOnWindows(NameText(safe))) safe.insert(safe.begin(), '_');
    return UnsafeFileNameReason(safe) ? "_" : safe;
}

std::string ScriptFileName(std::string_view block_name, int number,
                           const std::function<bool(const std::string&)>& claim) {
    std::string stem = SafeFileName(block_name);
    // Appended piece by piece: GCC 12 at -O3 takes " " + string's insert for
    // an overlapping copy.
    if (number > 1) {
        stem += ' ';
        stem += std::to_string(number);
    }
    std::string candidate = stem + ".cos";
    for (int again = 2; !claim(candidate); ++again)
        candidate = stem + "~" + std::to_string(again) + ".cos";
    return candidate;
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

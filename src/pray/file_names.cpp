#include "pray/file_names.h"

#include <algorithm>
#include <cctype>

#include "platform/text_encoding.h"

namespace ormel::pray {

namespace {

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

}  // namespace

std::filesystem::path PathFromNameBytes(std::string_view name, bool utf8) {
    const std::string text = NameText(name, utf8);
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
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
    if (name.find_first_of(":*?\"<>|") != std::string::npos) {
        return "a character that Windows does not allow in names (: * ? \" < > |)";
    }
    if (name.back() == '.' || name.back() == ' ') {
        return "a name ending in a dot or a blank, which Windows drops";
    }
    if (IsReservedOnWindows(name)) return "a name that Windows reserves for a device";
    return std::nullopt;
}

}  // namespace ormel::pray

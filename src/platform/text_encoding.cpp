#include "platform/text_encoding.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <algorithm>
#include <array>
#include <cstdint>
#endif

namespace ormel {

#ifdef _WIN32

namespace {

// Without WC_NO_BEST_FIT_CHARS Windows writes look-alikes ("8" for an
// infinity sign), silently changing names; "?" shows the loss instead. The
// UTF-8 code page takes neither the flag nor a replacement.
std::string WideToAnsi(std::wstring_view wide) {
    if (wide.empty()) return {};
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* replacement = utf8 ? nullptr : "?";
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, replacement, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, ansi.data(), length, replacement,
                        nullptr);
    return ansi;
}

// Bytes in the code page given (CP_ACP, CP_UTF8) as UTF-16.
std::wstring ToWide(UINT code_page, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::wstring AnsiToWide(std::string_view bytes) {
    return ToWide(CP_ACP, bytes);
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

unsigned AnsiCodePage() {
    return GetACP();
}

std::string ToAnsiCodePage(std::string_view utf8) {
    return WideToAnsi(Utf8ToWide(utf8));
}

std::string FromAnsiCodePage(std::string_view bytes) {
    return WideToUtf8(AnsiToWide(bytes));
}

bool IsDoubleByteLead(char byte) {
    return IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0;
}

// A character the code page holds comes back unchanged from a round trip
// through it; one that it does not comes back as "?".
std::optional<std::string> FirstCharacterOutsideCodePage(std::string_view utf8) {
    const std::wstring wide = Utf8ToWide(utf8);  // a malformed byte becomes U+FFFD
    for (std::size_t i = 0; i < wide.size();) {
        const std::size_t length = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() ? 2 : 1;
        const std::wstring_view character(wide.data() + i, length);
        if (AnsiToWide(WideToAnsi(character)) != character) return WideToUtf8(character);
        i += length;
    }
    return std::nullopt;
}

#else

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five bytes that
// it leaves undefined stand for the control character of the same number, as
// Windows reads and writes them. Every other byte is its own character.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromCp1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

std::optional<char> ToCp1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    const auto* found = std::find(kCp1252High.begin(), kCp1252High.end(), code);
    if (found == kCp1252High.end()) return std::nullopt;
    return static_cast<char>(0x80 + (found - kCp1252High.begin()));
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one code point at text[pos], advancing pos; none for a malformed
// sequence (pos then moves past its first byte only).
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + static_cast<std::size_t>(extra) > text.size()) return std::nullopt;
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        code = (code << 6) | (next & 0x3F);
    }
    pos += static_cast<std::size_t>(extra);
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    return code;
}

}  // namespace

unsigned AnsiCodePage() {
    return 1252;
}

bool IsDoubleByteLead(char) {
    return false;
}

std::string ToAnsiCodePage(std::string_view utf8) {
    std::string ansi;
    ansi.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto code = DecodeUtf8(utf8, pos);
        ansi += code ? ToCp1252(*code).value_or('?') : '?';
    }
    return ansi;
}

std::string FromAnsiCodePage(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) AppendUtf8(utf8, FromCp1252(static_cast<unsigned char>(c)));
    return utf8;
}

std::optional<std::string> FirstCharacterOutsideCodePage(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const auto code = DecodeUtf8(utf8, pos);
        if (!code || !ToCp1252(*code)) return std::string(utf8.substr(start, pos - start));
    }
    return std::nullopt;
}

#endif

}  // namespace ormel

// Names inside a document or a package, as paths on this system.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ormel::pray {

// The path that a name in a document or package stands for: its bytes are
// text in the code page that the form writes documents in (the system's ANSI
// code page on Windows, Windows-1252 elsewhere), or UTF-8 when utf8 is set
// (a document that starts with a UTF-8 byte-order mark).
std::filesystem::path PathFromNameBytes(std::string_view name, bool utf8 = false);

// The same name as UTF-8 text, as messages show it.
std::string NameText(std::string_view name, bool utf8 = false);

// A path as UTF-8 text, as messages show it.
std::string PathText(const std::filesystem::path& path);

// The path that UTF-8 text names: a plain string would be read in the ANSI
// code page on Windows.
std::filesystem::path PathFromUtf8(std::string_view utf8);

// Why a block's name cannot be a file's name inside a folder (a path of more
// than one part, a parent folder, a drive, a name Windows reserves, a
// control character), or nothing when it can. The name is bytes as above.
std::optional<std::string> UnsafeFileNameReason(std::string_view name_bytes);

// A plain file name for a block whose name is none (see above), as bytes in
// the same code page: each character that Windows does not allow, a path
// separator and a control character included, and a trailing dot or blank
// becomes "_"; a device name gets "_" before it; an empty name is "_"; a
// name too long for a file is cut. A usable name comes back unchanged.
std::string SafeFileName(std::string_view name_bytes);

// The .cos file that the script tag "Script {number}" of an agent block
// named block_name goes into when unpacked, as bytes in the same code page:
// the block's name made safe (SafeFileName), " {number}" after it from the
// second script on, and ".cos". When claim (which takes the name when it is
// free) refuses it, "~2", "~3"... go before the extension until one is free.
std::string ScriptFileName(std::string_view block_name, int number,
                           const std::function<bool(const std::string&)>& claim);

// Compares two file names as Windows does: ordinal, ignoring case over all
// of Unicode (each character's simple upper case). Less than, equal to or
// greater than 0, as a before, the same as or after b.
int CompareNamesAsWindows(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace ormel::pray

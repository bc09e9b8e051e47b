// Names inside a document or a package, as paths on this system.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ormel::pray {

// The path that a name in a document or package stands for: its bytes are
// Windows-1252 text, or UTF-8 when utf8 is set.
std::filesystem::path PathFromNameBytes(std::string_view name, bool utf8 = false);

// Why a block's name cannot be a file's name inside a folder (a path of more
// than one part, a parent folder, a drive, a name Windows reserves, a
// control character), or nothing when it can.
std::optional<std::string> UnsafeFileNameReason(std::string_view name);

}  // namespace ormel::pray

// How the builder judges the files it reads and writes, and how it says why
// one cannot be used: in the system's own words, with the path as the user
// gave it, never a temporary name.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system_reason.h"
#include "pray/errors.h"

namespace ormel::pray {

// "{what} {shown}: {reason}", or without the reason when there is none.
Error FileError(const std::string& what, const std::string& shown,
                const std::string& reason = LastSystemReason());

// The file opened for reading; throws FileError ("{what} {shown}: ...")
// when it cannot be, a folder included.
std::ifstream OpenToRead(const std::filesystem::path& path, const std::string& what,
                         const std::string& shown);

// Throws FileError when path is something that writing a file there would
// replace and that is not a regular file: a folder, a device, a FIFO or a
// socket, or a link to one. Nothing there, or a regular file, passes.
void RequireReplaceable(const std::filesystem::path& path, const std::string& what,
                        const std::string& shown);

// The entries of path's folder whose names equal path's file name when
// letter case is ignored, sorted; none when the folder cannot be read.
std::vector<std::filesystem::path> MatchesIgnoringCase(const std::filesystem::path& path);

}  // namespace ormel::pray

// Writes a package from a parsed document.
#pragma once

#include <filesystem>

#include "pray/source_parser.h"

namespace ormel::pray {

constexpr int kDefaultLevel = 6;

// Builds the package at output: the blocks in the document's order, each
// stored compressed at zlib's level (1 to 9) when that makes it smaller,
// and uncompressed at level 0. Files are named relative to document_folder;
// one found only by ignoring letter case adds a warning to source's. Only a
// regular file at output is replaced: anything else there is an Error.
//
// Raw blocks stream from their files through a fixed buffer; only a tag
// block (with the files its @ tags name) is held in memory. The package is
// written to a temporary file beside output and renamed into place when
// complete, so a failure leaves no new file and an earlier package as it was.
// Throws SourceError for a file the document names that cannot be used, and
// Error when the package cannot be written.
void WritePackage(Source& source, const std::filesystem::path& document_folder,
                  const std::filesystem::path& output, int level = kDefaultLevel);

// The same, with the document read and parsed first; warnings are left in
// the returned source for the caller to show.
Source BuildPackage(const std::filesystem::path& document, const std::filesystem::path& output,
                    int level = kDefaultLevel);

// A file's whole content; throws Error naming the file when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

// Called, when set, with each file block's file just before it is read:
// the seam through which tests change a file after it was checked.
extern void (*g_before_reading_file)(const std::filesystem::path& file);

}  // namespace ormel::pray

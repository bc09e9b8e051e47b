// What is in a package: listed for reading, or unpacked into a document and
// files that build the same package again.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace ormel::pray {

// Prints each block (type, name, sizes, compressed or not) and each tag
// block's tags in the source language's form, control bytes visible, as
// stored. Returns the warnings (a key given more than once), a line each.
std::vector<std::string> ListPackage(std::istream& in, const std::string& package_name,
                                     std::ostream& out);

// Writes {stem}.txt and a file for each raw block into folder, which must
// not exist unless force is set. The whole package is read and checked into
// a temporary folder first (beside folder, or inside it when it exists), each
// file made by an exclusive create, so a bad package or a block whose name is
// no plain file name leaves nothing behind. A block whose name is no plain
// file name is written under SafeFileName's, which the document names beside
// the block's own; names that Windows would take for one (ignoring case) get
// ~2, ~3 added. Each script tag ("Script 1", "Script 2"...) of an agent
// block (AGNT, DSAG) goes into a .cos file of its own (ScriptFileName), named
// after the files' names are taken, which the document names with "@", so
// that the script can be edited. A key given again with the same value is written once, with
// another value it is an error. With force, every file in the way is checked
// before the first is replaced: all are replaced, or none. Returns the
// warnings, a line each; throws Error.
std::vector<std::string> UnpackPackage(const std::filesystem::path& package,
                                       const std::filesystem::path& folder, bool force);

}  // namespace ormel::pray

// The source language: a document of statements, one to a line, naming the
// blocks of a package and what goes into them.
//
// The text is taken as bytes: names, keys and values go into the package
// exactly as the document spells them, in Windows-1252 for a plain document
// and in UTF-8 for one that starts with a UTF-8 byte-order mark (the mark
// itself is not part of the first line). A string cannot span lines: a line
// break inside a value is written \n.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pray/source_strings.h"

namespace ormel::pray {

struct SourcePosition {
    int line = 1;
    int column = 1;  // in bytes, from 1
};

// A file named by "@" or "inline", relative to the document's folder.
struct FileReference {
    std::string name;
    SourcePosition at;
};

struct IntegerTagSource {
    std::string key;
    std::int32_t value = 0;
    SourcePosition at;
};

struct StringTagSource {
    std::string key;
    std::string value;                  // when file is empty
    std::optional<FileReference> file;  // "key" @ "file": the value is the file's bytes
    SourcePosition at;
};

// One block of the package: a group's tag block, or an inline raw block.
struct BlockSource {
    bool is_group = true;
    std::string type;
    std::string name;
    SourcePosition at;
    std::vector<IntegerTagSource> integers;  // groups only
    std::vector<StringTagSource> strings;    // groups only
    FileReference file;                      // inline blocks only
};

struct SourceWarning {
    SourcePosition at;
    std::string message;
};

struct Source {
    std::string document;  // the document in messages, as it was given
    bool utf8 = false;     // it started with a UTF-8 byte-order mark
    std::string language;
    std::vector<BlockSource> blocks;
    std::vector<SourceWarning> warnings;  // in document order

    // Adds a warning in its place in document order, after those given
    // earlier for the same position.
    void Warn(SourcePosition at, std::string message);
    // "T/Lantern.txt:7:1: warning: ..."
    std::string Describe(const SourceWarning& warning) const;
};

// Throws SourceError at the first fault; document is the name that messages
// carry.
Source ParseSource(std::string_view text, const std::string& document);

}  // namespace ormel::pray

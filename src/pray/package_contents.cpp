#include "pray/package_contents.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "pray/atomic_file.h"
#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_format.h"
#include "pray/package_reader.h"
#include "pray/source_parser.h"

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A source string, with the control bytes that have no escape of their own
// shown as \xNN.
std::string QuoteForListing(std::string_view bytes) {
    std::string quoted;
    for (const char c : QuoteSourceString(bytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            quoted += hex;
        } else {
            quoted += c;
        }
    }
    return quoted;
}

std::string TagLines(const Tags& tags, const std::string& indent,
                     std::string (*quote)(std::string_view), std::string_view line_end) {
    std::string lines;
    for (const auto& [key, value] : tags.integers) {
        lines += indent + quote(key) + " " + std::to_string(value) + std::string(line_end);
    }
    for (const auto& [key, value] : tags.strings) {
        lines += indent + quote(key) + " " + quote(value) + std::string(line_end);
    }
    return lines;
}

// The document that unpacking writes: {package's name}.txt.
fs::path DocumentName(const fs::path& package) {
    return package.stem().concat(".txt");
}

std::string RepeatedKeyText(const RepeatedKey& repeated) {
    return "the key " + QuoteForListing(repeated.key) + " is given again with " +
           (repeated.same_value ? "the same value" : "another value");
}

// The block's tags as stored, with a warning line for each key given again.
Tags TagsAsStored(PackageReader& reader, std::vector<std::string>& warnings) {
    Tags tags = reader.ReadTags();
    for (const RepeatedKey& repeated : RepeatedKeys(tags)) {
        warnings.push_back(reader.Warning(RepeatedKeyText(repeated)));
    }
    return tags;
}

// The block's tags with each key once, as a document gives them: a key
// given again with the same value draws a warning, with another an error.
Tags TagsOnce(PackageReader& reader, std::vector<std::string>& warnings) {
    const Tags tags = TagsAsStored(reader, warnings);
    for (const RepeatedKey& repeated : RepeatedKeys(tags)) {
        if (!repeated.same_value) {
            reader.Fail(reader.header().offset,
                        RepeatedKeyText(repeated) + "; a document gives each key once");
        }
    }
    return WithoutRepeats(tags);
}

// Keys that a document cannot give, so that the unpacked document would not
// build the same block.
void CheckKeysFitDocument(PackageReader& reader, const Tags& tags) {
    auto check = [&](const std::string& key) {
        if (key.size() > 127 || key.find('\0') != std::string::npos) {
            reader.Fail(reader.header().offset,
                        "the key " + QuoteForListing(key.substr(0, 40)) +
                            " is longer than 127 bytes or holds a zero byte, which a document "
                            "cannot give");
        }
    };
    for (const auto& tag : tags.integers) check(tag.first);
    for (const auto& tag : tags.strings) check(tag.first);
}

// The number n of a script tag "Script n" of an agent block (AGNT, DSAG),
// which unpacking writes into a file of its own so that it can be edited.
std::optional<int> ScriptNumber(std::string_view block_type, std::string_view key) {
    constexpr std::string_view kScriptKey = "Script ";
    if ((block_type != "AGNT" && block_type != "DSAG") || !key.starts_with(kScriptKey))
        return std::nullopt;
    const std::string_view digits = key.substr(kScriptKey.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.starts_with('0') ||
        number < 1)
        return std::nullopt;
    return number;
}

struct WindowsNameOrder {
    bool operator()(const fs::path& a, const fs::path& b) const {
        return CompareNamesAsWindows(a, b) < 0;
    }
};

// Unpacks into a fresh folder; the caller moves it into place. Messages
// name the files as they will be in shown, the folder as given.
class Unpacker {
  public:
    Unpacker(const fs::path& package, const fs::path& staging, const fs::path& shown)
        : package_(package), staging_(staging), shown_(shown) {}

    // The warnings about the package, a line each.
    const std::vector<std::string>& warnings() const { return warnings_; }

    void Run() {
        std::ifstream in = OpenToRead(package_, "cannot open the package", PathText(package_));
        PackageReader reader(in, PathText(package_.filename()));
        const fs::path document_name = DocumentName(package_);
        taken_.insert(document_name);
        pieces_.push_back("\"en-GB\"" + std::string(kLineEnd));
        int blocks = 0;
        while (reader.Next()) {
            ++blocks;
            pieces_.back() += kLineEnd;
            if (IsTagBlockType(reader.header().type)) {
                GroupLines(reader);
            } else {
                pieces_.back() += InlineLine(reader);
            }
        }
        if (blocks == 0) throw PackageError(PathText(package_.filename()) + ": it holds no blocks");
        // Scripts are named last, so that a file block keeps its own name.
        for (const Script& script : scripts_) WriteScript(script);
        std::string document;
        for (const std::string& piece : pieces_) document += piece;
        NewFile file(staging_ / document_name, PathText(shown_ / document_name));
        file.Write(document);
        file.Close();
    }

  private:
    // A script tag of an agent block, written into a .cos file that the
    // document names in the piece left for it.
    struct Script {
        std::size_t piece;
        std::string block_name;
        int number;
        std::string key;
        std::string bytes;
    };

    void GroupLines(PackageReader& reader) {
        const Tags tags = TagsOnce(reader, warnings_);
        CheckKeysFitDocument(reader, tags);
        const BlockHeader& header = reader.header();
        std::string& lines = pieces_.back();
        lines += "group " + header.type + " " + QuoteSourceString(header.name) +
                 std::string(kLineEnd) +
                 TagLines({tags.integers, {}}, "", QuoteSourceString, kLineEnd);
        for (const auto& [key, value] : tags.strings) {
            const std::optional<int> number = ScriptNumber(header.type, key);
            if (!number) {
                pieces_.back() +=
                    QuoteSourceString(key) + " " + QuoteSourceString(value) + std::string(kLineEnd);
                continue;
            }
            scripts_.push_back({pieces_.size(), header.name, *number, key, value});
            pieces_.emplace_back();  // the script's line
            pieces_.emplace_back();  // what follows it
        }
    }

    void WriteScript(const Script& script) {
        const std::string file_name = ScriptFileName(
            script.block_name, script.number,
            [&](const std::string& name) { return taken_.insert(PathFromNameBytes(name)).second; });
        const fs::path name = PathFromNameBytes(file_name);
        NewFile file(staging_ / name, PathText(shown_ / name));
        file.Write(script.bytes);
        file.Close();
        pieces_[script.piece] = QuoteSourceString(script.key) + " @ " +
                                QuoteSourceString(file_name) + std::string(kLineEnd);
    }

    std::string InlineLine(PackageReader& reader) {
        const BlockHeader& header = reader.header();
        const std::string file_name = FreeFileName(SafeFileName(header.name));
        const fs::path name = PathFromNameBytes(file_name);
        NewFile file(staging_ / name, PathText(shown_ / name));
        reader.ReadData([&](std::string_view piece) { file.Write(piece); });
        file.Close();
        return "inline " + header.type + " " + QuoteSourceString(header.name) + " " +
               QuoteSourceString(file_name) + std::string(kLineEnd);
    }

    // The block's name, or when another block took it (as Windows compares
    // names, ignoring case), the name with a number added.
    std::string FreeFileName(const std::string& name) {
        std::string candidate = name;
        for (int number = 2; !taken_.insert(PathFromNameBytes(candidate)).second; ++number) {
            candidate = name + "~" + std::to_string(number);
        }
        return candidate;
    }

    fs::path package_;
    fs::path staging_;
    fs::path shown_;
    std::set<fs::path, WindowsNameOrder> taken_;
    std::vector<std::string> warnings_;
    // The document, in pieces around the scripts' lines.
    std::vector<std::string> pieces_;
    std::vector<Script> scripts_;
};

// A folder, device, FIFO or socket (or a link to one) where a file is to go
// stops the unpacking before anything is moved.
void CheckReplaceable(const fs::path& target, const fs::path& shown) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (fs::is_directory(status)) {
        throw Error("cannot write the file " + PathText(shown) + ": a folder has its name");
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        throw Error("cannot write the file " + PathText(shown) + ": it is not a regular file");
    }
}

// Moves every file of from into folder, each file that it replaces moved
// aside first. Every target is checked before the first move, and a move
// that fails puts every earlier one back: folder ends up with all the new
// files or as it was. shown is the folder as messages name it.
void MoveFilesInto(const fs::path& from, const fs::path& folder, const fs::path& aside,
                   const fs::path& shown) {
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        names.push_back(entry.path().filename());
        CheckReplaceable(folder / names.back(), shown / names.back());
    }
    std::vector<std::pair<fs::path, fs::path>> undo;
    auto move = [&](const fs::path& source, const fs::path& target, const fs::path& name) {
        std::error_code error;
        fs::rename(source, target, error);
        if (error) {
            throw Error("cannot write the file " + PathText(shown / name) + ": " + error.message());
        }
        undo.emplace_back(target, source);
    };
    try {
        for (const fs::path& name : names) {
            std::error_code error;
            if (fs::exists(fs::symlink_status(folder / name, error))) {
                move(folder / name, aside / name, name);
            }
            move(from / name, folder / name, name);
        }
    } catch (const Error&) {
        for (auto back = undo.rbegin(); back != undo.rend(); ++back) {
            std::error_code ignored;  // the failure that got here is the one to report
            fs::rename(back->first, back->second, ignored);
        }
        throw;
    }
}

}  // namespace

std::vector<std::string> ListPackage(std::istream& in, const std::string& package_name,
                                     std::ostream& out) {
    std::vector<std::string> warnings;
    PackageReader reader(in, package_name);
    while (reader.Next()) {
        const BlockHeader& header = reader.header();
        out << header.type << " " << QuoteForListing(header.name) << ": " << header.stored
            << " bytes stored, " << header.unstored << " unstored, "
            << (header.compressed ? "compressed" : "uncompressed") << "\n";
        if (IsTagBlockType(header.type)) {
            out << TagLines(TagsAsStored(reader, warnings), "    ", QuoteForListing, "\n");
        } else {
            reader.ReadData([](std::string_view) {});
        }
    }
    return warnings;
}

std::vector<std::string> UnpackPackage(const fs::path& package, const fs::path& folder_as_given,
                                       bool force) {
    const fs::path folder =
        folder_as_given.has_filename() ? folder_as_given : folder_as_given.parent_path();
    const std::string document = PathText(DocumentName(package));
    if (const auto reason = UnsafeFileNameReason(document)) {
        throw PackageError(PathText(package.filename()) + ": the document " + document +
                           " cannot be a file's name in the folder: " + *reason +
                           "; rename the package");
    }
    std::error_code error;
    const bool exists = fs::exists(fs::symlink_status(folder, error));
    if (exists && !force) {
        throw Error("the folder " + PathText(folder) + " exists already; --force writes into it");
    }
    if (exists && !fs::is_directory(folder, error)) {
        throw Error(PathText(folder) + " is not a folder");
    }
    // The staging folder lies in the same folder as the files' final places
    // (through any link), so that no move crosses file systems.
    if (!exists) {
        const fs::path resolved = fs::weakly_canonical(fs::absolute(folder));
        StagingFolder staging(resolved);
        Unpacker unpacker(package, staging.path(), folder);
        unpacker.Run();
        MoveIntoPlace(staging.path(), resolved);
        return unpacker.warnings();
    }
    const fs::path resolved = fs::canonical(folder);
    StagingFolder staging(resolved / "unpacked");
    Unpacker unpacker(package, staging.path(), folder);
    unpacker.Run();
    StagingFolder replaced(resolved / "replaced");
    MoveFilesInto(staging.path(), resolved, replaced.path(), folder);
    return unpacker.warnings();
}

}  // namespace ormel::pray

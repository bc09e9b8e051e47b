#include "pray/package_contents.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <set>

#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_format.h"
#include "pray/package_reader.h"
#include "pray/package_writer.h"
#include "pray/source_parser.h"

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string PathText(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

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

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
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

// Unpacks into a fresh folder; the caller moves it into place.
class Unpacker {
  public:
    Unpacker(const fs::path& package, const fs::path& staging)
        : package_(package), staging_(staging) {}

    void Run() {
        std::ifstream in = OpenToRead(package_, "cannot open the package", PathText(package_));
        PackageReader reader(in, PathText(package_.filename()));
        const fs::path document_name = package_.stem().concat(".txt");
        taken_.insert(UpperCase(PathText(document_name)));
        std::string document = "\"en-GB\"" + std::string(kLineEnd);
        int blocks = 0;
        while (reader.Next()) {
            ++blocks;
            document += kLineEnd;
            document +=
                IsTagBlockType(reader.header().type) ? GroupLines(reader) : InlineLine(reader);
        }
        if (blocks == 0) throw PackageError(PathText(package_.filename()) + ": it holds no blocks");
        WriteFile(staging_ / document_name, [&](std::ofstream& out) { out << document; });
    }

  private:
    std::string GroupLines(PackageReader& reader) {
        const Tags tags = reader.ReadTags();
        CheckKeysFitDocument(reader, tags);
        const BlockHeader& header = reader.header();
        return "group " + header.type + " " + QuoteSourceString(header.name) +
               std::string(kLineEnd) + TagLines(tags, "", QuoteSourceString, kLineEnd);
    }

    std::string InlineLine(PackageReader& reader) {
        const BlockHeader& header = reader.header();
        if (const auto reason = UnsafeFileNameReason(header.name)) {
            reader.Fail(header.offset + kTypeBytes,
                        "the block's name cannot be a file's name in the folder: " + *reason);
        }
        const std::string file_name = FreeFileName(header.name);
        WriteFile(staging_ / PathFromNameBytes(file_name), [&](std::ofstream& out) {
            reader.ReadData([&](std::string_view piece) {
                out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            });
        });
        return "inline " + header.type + " " + QuoteSourceString(header.name) + " " +
               QuoteSourceString(file_name) + std::string(kLineEnd);
    }

    // The block's name, or when another block took it (as Windows compares
    // names, ignoring case), the name with a number added.
    std::string FreeFileName(const std::string& name) {
        std::string candidate = name;
        for (int number = 2; !taken_.insert(UpperCase(candidate)).second; ++number) {
            candidate = name + "~" + std::to_string(number);
        }
        return candidate;
    }

    template <typename Write>
    void WriteFile(const fs::path& path, Write write) {
        std::ofstream out(path, std::ios::binary);
        if (!out) throw Error("cannot create the file " + PathText(path));
        write(out);
        out.close();
        if (!out) throw Error("cannot write the file " + PathText(path));
    }

    fs::path package_;
    fs::path staging_;
    std::set<std::string> taken_;
};

void MoveFolderContentsInto(const fs::path& from, const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const fs::path target = folder / entry.path().filename();
        if (fs::is_directory(target)) {
            throw Error("cannot write the file " + PathText(target) + ": a folder has its name");
        }
        MoveIntoPlace(entry.path(), target);
    }
}

class StagingFolder {
  public:
    explicit StagingFolder(const fs::path& beside) : path_(TemporaryPathBeside(beside)) {
        std::error_code error;
        if (!fs::create_directory(path_, error)) {
            throw Error("cannot create a folder beside " + PathText(beside) + ": " +
                        error.message());
        }
    }
    ~StagingFolder() {
        std::error_code ignored;  // the failure that got here is the one to report
        fs::remove_all(path_, ignored);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

}  // namespace

void ListPackage(std::istream& in, const std::string& package_name, std::ostream& out) {
    PackageReader reader(in, package_name);
    while (reader.Next()) {
        const BlockHeader& header = reader.header();
        out << header.type << " " << QuoteForListing(header.name) << ": " << header.stored
            << " bytes stored, " << header.unstored << " unstored, "
            << (header.compressed ? "compressed" : "uncompressed") << "\n";
        if (IsTagBlockType(header.type)) {
            out << TagLines(reader.ReadTags(), "    ", QuoteForListing, "\n");
        } else {
            reader.ReadData([](std::string_view) {});
        }
    }
}

void UnpackPackage(const fs::path& package, const fs::path& folder_as_given, bool force) {
    const fs::path folder =
        folder_as_given.has_filename() ? folder_as_given : folder_as_given.parent_path();
    std::error_code error;
    const bool exists = fs::exists(folder, error);
    if (exists && !force) {
        throw Error("the folder " + PathText(folder) + " exists already; --force writes into it");
    }
    if (exists && !fs::is_directory(folder)) {
        throw Error(PathText(folder) + " is not a folder");
    }
    StagingFolder staging(folder);
    Unpacker(package, staging.path()).Run();
    if (exists) {
        MoveFolderContentsInto(staging.path(), folder);
    } else {
        MoveIntoPlace(staging.path(), folder);
    }
}

}  // namespace ormel::pray

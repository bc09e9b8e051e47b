#include "pray/pray_cli.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>

#include "pray/errors.h"
#include "pray/file_checks.h"
#include "pray/file_names.h"
#include "pray/package_contents.h"
#include "pray/package_writer.h"

namespace fs = std::filesystem;

namespace ormel::pray {

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  ormel-pray [--level N] [-o PACKAGE] DOCUMENT\n"
    "      Builds the package that the PRAY source DOCUMENT describes, by default\n"
    "      {document's name}.agent in the current folder. Files that the document\n"
    "      names are found in the document's folder; where file names keep their\n"
    "      letter case, a name that matches one file only when case is ignored\n"
    "      finds it, with a warning.\n"
    "  ormel-pray list PACKAGE\n"
    "      Prints the package's blocks and the tags of its tag blocks.\n"
    "  ormel-pray unpack [--force] PACKAGE [FOLDER]\n"
    "      Writes a document and the package's files into FOLDER (by default a new\n"
    "      folder named after the package, in the current folder), from which\n"
    "      ormel-pray builds the same package again. Each agent's scripts go into\n"
    "      .cos files that the document names.\n"
    "  ormel-pray help\n"
    "      Prints this text.\n"
    "\n"
    "Options:\n"
    "  -o PACKAGE, -oPACKAGE, --output PACKAGE, --output=PACKAGE\n"
    "                the package to write; only a regular file there is replaced\n"
    "  --level N     zlib's compression level, 0 to 9 (default 6); 0 stores every\n"
    "                block uncompressed. A block is stored compressed only when that\n"
    "                makes it smaller.\n"
    "  --force       unpack into a FOLDER that exists already, replacing its files\n"
    "  --help, -h    prints this text\n"
    "  --version     prints the version\n"
    "\n"
    "A \"-\" is refused: it stands for no standard input or output. Give a file\n"
    "named - as ./-\n"
    "Exit status: 0 success, 1 a bad document, package or file, 2 a bad command line.\n";

struct CommandLine {
    std::string command = "build";
    std::vector<std::string> operands;
    std::optional<std::string> output;
    int level = kDefaultLevel;
    bool force = false;
    bool help = false;
    bool version = false;
};

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

int ParseLevel(const std::string& text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') {
        throw UsageError("--level takes a number from 0 to 9, not \"" + text + "\"");
    }
    return text[0] - '0';
}

CommandLine Parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool options_end = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 == arguments.size()) throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (options_end || argument == "-" || !argument.starts_with("-")) {
            line.operands.push_back(argument);
        } else if (argument == "--") {
            options_end = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (argument == "-o" || argument == "--output") {
            line.output = value();
        } else if (argument == "--level") {
            line.level = ParseLevel(value());
        } else if (argument.starts_with("--level=")) {
            line.level = ParseLevel(argument.substr(8));
        } else if (argument.starts_with("--output=")) {
            line.output = argument.substr(9);
        } else if (argument.starts_with("-o")) {
            line.output = argument.substr(2);
        } else if (argument == "--force") {
            line.force = true;
        } else {
            throw UsageError("unknown option " + argument);
        }
    }
    const std::string first = line.operands.empty() ? "" : line.operands.front();
    if (first == "list" || first == "unpack" || first == "help") {
        line.command = first;
        line.help = first == "help";
        line.operands.erase(line.operands.begin());
    }
    return line;
}

void CheckFits(const CommandLine& line) {
    if (std::count(line.operands.begin(), line.operands.end(), "-") > 0 || line.output == "-") {
        throw UsageError("\"-\" (standard input/output) is not supported; name a file");
    }
    const std::size_t count = line.operands.size();
    if (line.command == "build" && count != 1) {
        throw UsageError(count == 0 ? "no document given" : "more than one document given");
    }
    if (line.command == "list" && count != 1) throw UsageError("list takes one package");
    if (line.command == "unpack" && (count < 1 || count > 2)) {
        throw UsageError("unpack takes a package and at most one folder");
    }
    if (line.command != "build" && line.output) throw UsageError("-o is for building only");
    if (line.command == "list" && line.force) throw UsageError("--force is for unpack only");
    if (line.command == "build" && line.force) throw UsageError("--force is for unpack only");
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row.back();
}

// A first word that names no file, has no dot or folder in it and is close
// to a command is taken for a mistyped command.
void SuggestCommand(const CommandLine& line) {
    if (line.command != "build" || line.operands.empty()) return;
    const std::string& word = line.operands.front();
    std::error_code error;
    if (word.find_first_of("./\\") != std::string::npos || fs::exists(PathFromUtf8(word), error)) {
        return;
    }
    std::string closest;
    std::size_t distance = 3;
    for (const std::string command : {"list", "unpack", "help"}) {
        if (const std::size_t d = EditDistance(word, command); d < distance) {
            closest = command;
            distance = d;
        }
    }
    if (!closest.empty()) {
        throw UsageError("no file \"" + word + "\"; did you mean \"" + closest + "\"?");
    }
}

// Operands are UTF-8: ormel-pray's main makes them so on Windows.
void Build(const CommandLine& line, std::ostream& err) {
    const fs::path document = PathFromUtf8(line.operands[0]);
    const fs::path output =
        line.output ? PathFromUtf8(*line.output) : document.stem().concat(".agent");
    const Source source = BuildPackage(document, output, line.level);
    for (const SourceWarning& warning : source.warnings) err << source.Describe(warning) << "\n";
}

void List(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const fs::path package = PathFromUtf8(line.operands[0]);
    std::ifstream in = OpenToRead(package, "cannot open the package", line.operands[0]);
    for (const std::string& warning : ListPackage(in, line.operands[0], out)) {
        err << warning << "\n";
    }
}

void Unpack(const CommandLine& line, std::ostream& err) {
    const fs::path package = PathFromUtf8(line.operands[0]);
    const fs::path folder = line.operands.size() == 2 ? PathFromUtf8(line.operands[1])
                                                      : fs::current_path() / package.stem();
    for (const std::string& warning : UnpackPackage(package, folder, line.force)) {
        err << warning << "\n";
    }
}

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    try {
        line = Parse(arguments);
        if (line.help) {
            out << kUsage;
            return kExitSuccess;
        }
        if (line.version) {
            out << "ormel-pray " << ORMEL_PRAY_VERSION << "\n";
            return kExitSuccess;
        }
        SuggestCommand(line);
        CheckFits(line);
    } catch (const UsageError& error) {
        err << "ormel-pray: " << error.what() << "\nTry ormel-pray --help.\n";
        return kExitBadCommand;
    }

    try {
        if (line.command == "list") {
            List(line, out, err);
        } else if (line.command == "unpack") {
            Unpack(line, err);
        } else {
            Build(line, err);
        }
        return kExitSuccess;
    } catch (const SourceError& error) {
        err << error.what() << "\n";
    } catch (const PackageError& error) {
        err << error.what() << "\n";
    } catch (const std::exception& error) {
        err << "ormel-pray: " << error.what() << "\n";
    }
    return kExitBadInput;
}

}  // namespace

int RunPrayCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    errno = 0;
    const int status = Run(arguments, out, err);
    if (out.flush()) return status;
    const std::string reason = LastSystemReason();
    err << "ormel-pray: cannot write to the standard output" << (reason.empty() ? "" : ": ")
        << reason << "\n";
    return kExitBadInput;
}

}  // namespace ormel::pray

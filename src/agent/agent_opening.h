// Brings an agent back into the form: a package or a source document, with
// either edition's agent block (AGNT, DSAG), read through the package library
// and mapped to the values the form holds, as the author would have typed and
// picked them. The mapping is the exact inverse of the document writer: what
// it gives, written and built again, makes the same blocks, tags and file
// data, in whatever order they were given. Anything the form cannot hold
// refuses the whole file, one line for each thing that does not fit. Opening
// reads; it writes no file: what the agent folder lacks, BringFiles writes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "agent/agent_description.h"

namespace ormel {

// One file row as the opening fills it.
struct OpenedRow {
    bool used = false;
    std::string file;
    // The entry of kFileExtensionEntries to choose, as a pick does; none for
    // a row that is not used, whose extension box stays empty.
    std::optional<int> entry;
};

// The values of the form after opening, UTF-8 as the form shows them.
struct OpenedAgent {
    std::string name;
    std::string cos_file;
    std::array<OpenedRow, kSlotCount> rows;
    std::string image;
    std::string image_ext;
    std::string animation;
    std::string bioenergy;
    std::string remove_script;
    std::string block{kFormDefaults.block};
    std::string description;
    std::string first_image;
};

// A file that Compile will read from the agent folder, which the folder lacks
// and the opened package holds (or which lies beside the opened document).
struct FileToBring {
    // Its name in the agent folder (UTF-8), made safe for a file name as
    // unpacking makes it.
    std::string name;
    std::string bytes;
};

struct AgentOpening {
    // None when the file is refused.
    std::optional<OpenedAgent> agent;
    // What does not fit, one line each; empty unless refused.
    std::vector<std::string> refusal;
    // The files that Compile will read from the agent folder and that are not
    // there, as "{name}/{file}", in the order the build copies them.
    std::vector<std::string> missing;
    // The package keeps the script's bytes, not its name, and no ".cos" file
    // of the agent folder holds these bytes: the script box stays empty.
    bool script_unknown = false;
    // What opening can put into the agent folder: all of it or nothing. The
    // package's script comes as a .cos file.
    std::vector<FileToBring> to_bring;
    // Files of the agent folder, as "{name}/{file}", that differ from the
    // file of the same name that would be brought; while there is one,
    // nothing is brought (to_bring still lists the others).
    std::vector<std::string> differing;
    // The script box's text once to_bring is written (the .cos file's name
    // without its extension); empty when the script is not among them.
    std::string brought_cos_file;
};

// Opens path (UTF-8): a package when the file starts with "PRAY", otherwise
// a source document, whatever its name (.txt, .ps, none). program_folder is
// where Compile looks for the agent folder {name}, and where the script's name
// is looked for when a package is opened. Fills to_bring with the files that
// folder lacks: a package's from its file blocks, its script (when no .cos
// file of the folder holds it) under the name unpacking gives it; a
// document's from beside it. Never throws for a bad file: a file that cannot
// be read is refused with the reason.
AgentOpening OpenAgent(const std::string& path, const std::string& program_folder);

// Writes every file of opening.to_bring into {program_folder}/{name}/,
// making the folder if needed: all or nothing, each under a temporary name
// until all are written. Refuses (throws pray::Error naming the file and the
// system's reason) when opening.differing is not empty or a file cannot be
// written, and then leaves the folder as it was. Nothing to bring writes
// nothing.
void BringFiles(const AgentOpening& opening, const std::string& program_folder);

}  // namespace ormel

// The command line of ormel-pray, callable in-process with its arguments and
// output streams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ormel::pray {

constexpr int kExitSuccess = 0;
constexpr int kExitBadInput = 1;    // a bad document, package or file
constexpr int kExitBadCommand = 2;  // a bad command line

// arguments without the program's name. stdout carries only what "list" and
// --help print; every message goes to err.
int RunPrayCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace ormel::pray

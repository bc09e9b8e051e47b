// Where the running program lies: the only anchor the program has.
#pragma once

#include <string>

namespace ormel {

// The full path of the running program's executable, as UTF-8.
std::string ProgramExecutablePath();

// The folder that holds it, without a trailing separator.
std::string ProgramFolder();

}  // namespace ormel

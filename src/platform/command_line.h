// The command line that starts a program: where its program is found, and
// how Windows is given its parts.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ormel {

// Finds an executable by its name in the folders of the PATH environment
// variable; none when no folder holds one.
std::optional<std::string> FindOnPath(const std::string& name);

// The command line Launch gives Windows: every part in double quotes, so
// that a path with blanks ("C:\Program Files\...") stays one part, with
// backslashes and quotes escaped where Windows' own splitting needs it.
std::string WindowsCommandLine(const std::string& program,
                               const std::vector<std::string>& arguments);

}  // namespace ormel

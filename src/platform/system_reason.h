// The system's own words for why an operation failed, shared by the program
// and ormel-pray so that both say it the same way.
#pragma once

#include <string>

namespace ormel {

// The text for an error code: strerror's for an errno value on POSIX,
// FormatMessageW's for a GetLastError() value on Windows, as UTF-8.
std::string SystemReason(int code);

// The text for the last failure: GetLastError()'s on Windows when it is set,
// otherwise errno's; empty when neither says anything.
std::string LastSystemReason();

}  // namespace ormel

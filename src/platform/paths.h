#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ormel {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Joins the pieces with one separator each, exactly as given: nothing is
// normalised, tested or quoted, and an empty piece leaves an empty component.
std::string JoinPath(std::initializer_list<std::string_view> pieces);

// True when two paths spelled alike name the same file as the file system
// reads them: exactly equal on POSIX; on Windows equal without regard to
// case and to dots and blanks at the end, which Windows drops.
bool SamePathSpelling(std::string_view a, std::string_view b);

}  // namespace ormel

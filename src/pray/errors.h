// The builder's failures. Each one's what() is the whole line shown to the
// author: where the fault is and, in plain words, what was expected there and
// what was found.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ormel::pray {

// Any failure of the builder: a bad document, a bad package, a file that
// cannot be read or written.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A fault in the source document, at a line and column (both from 1; the
// column counts bytes). what() reads "T/Lantern.txt:23:31: error: message",
// with the document named as it was given.
class SourceError : public Error {
  public:
    SourceError(const std::string& document, int line, int column, const std::string& message)
        : Error(document + ":" + std::to_string(line) + ":" + std::to_string(column) +
                ": error: " + message),
          line_(line),
          column_(column),
          message_(message) {}

    int line() const { return line_; }
    int column() const { return column_; }
    const std::string& message() const { return message_; }

  private:
    int line_;
    int column_;
    std::string message_;
};

// A fault in a package: what() names the package, the block (its number
// from 1, type and name, when one was being read) and the byte offset.
class PackageError : public Error {
  public:
    using Error::Error;
};

}  // namespace ormel::pray

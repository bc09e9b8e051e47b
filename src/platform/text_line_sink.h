#pragma once

#include <string_view>

namespace ormel {

// Where the builder's source document is written, line by line.
// Both operations throw on failure.
class TextLineSink {
  public:
    virtual ~TextLineSink() = default;
    // Appends text followed by CR LF.
    virtual void WriteLine(std::string_view text) = 0;
    // Ends the document and releases the file.
    virtual void Close() = 0;
};

}  // namespace ormel

// The payload of a tag block: named integers and named strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ormel::pray {

struct Tags {
    std::vector<std::pair<std::string, std::int32_t>> integers;
    std::vector<std::pair<std::string, std::string>> strings;

    bool operator==(const Tags&) const = default;
};

// The block types whose payload is tags; every other type holds raw bytes.
bool IsTagBlockType(std::string_view type);

// The payload bytes: the integer tags, then the string tags, each list in
// its own order.
std::string EncodeTags(const Tags& tags);

// A payload that is not exactly one well-formed tag list (a count or length
// running past the end, bytes left over).
class TagFormatError : public std::runtime_error {
  public:
    TagFormatError(std::size_t offset, const std::string& message)
        : std::runtime_error(message), offset_(offset) {}
    // Where in the payload the fault is.
    std::size_t offset() const { return offset_; }

  private:
    std::size_t offset_;
};

// Reads a payload; every count and length is checked against the bytes that
// are really there before it is used. Tags come back as stored, a key given
// more than once included.
Tags DecodeTags(std::string_view payload);

// A key that a block gives more than once, and whether every time with the
// same value (of the same kind).
struct RepeatedKey {
    std::string key;
    bool same_value = true;
};

// The keys given more than once, in the order of their first repeat.
std::vector<RepeatedKey> RepeatedKeys(const Tags& tags);

// The tags with each key once, at its first place.
Tags WithoutRepeats(const Tags& tags);

}  // namespace ormel::pray

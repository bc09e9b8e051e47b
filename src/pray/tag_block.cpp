#include "pray/tag_block.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <variant>

namespace ormel::pray {

namespace {

constexpr std::array<std::string_view, 11> kTagBlockTypes{
    "AGNT", "DSAG", "MACH", "HAND", "LIVE", "MONK", "EXPC", "DSEX", "SFAM", "EGGS", "DFAM"};

void AppendU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendBytes(std::string& out, std::string_view bytes) {
    AppendU32(out, static_cast<std::uint32_t>(bytes.size()));
    out += bytes;
}

class PayloadCursor {
  public:
    explicit PayloadCursor(std::string_view payload) : payload_(payload) {}

    std::uint32_t U32(const char* what) {
        const std::string_view bytes = Take(4, what);
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
        return value;
    }

    std::string_view Bytes(const char* what) {
        const std::size_t at = offset_;
        const std::uint32_t length = U32(what);
        if (length > Remaining()) {
            throw TagFormatError(at, std::string(what) + " claims " + std::to_string(length) +
                                         " bytes, but only " + std::to_string(Remaining()) +
                                         " remain in the block");
        }
        return Take(length, what);
    }

    std::size_t offset() const { return offset_; }
    std::size_t Remaining() const { return payload_.size() - offset_; }

  private:
    std::string_view Take(std::size_t count, const char* what) {
        if (count > Remaining()) {
            throw TagFormatError(offset_, std::string("the block ends in the middle of ") + what);
        }
        const std::string_view bytes = payload_.substr(offset_, count);
        offset_ += count;
        return bytes;
    }

    std::string_view payload_;
    std::size_t offset_ = 0;
};

// Each tag takes at least 8 bytes (a key length and a value or its
// length), so a count larger than that allows is a lie, found before any
// list is sized by it.
void CheckCount(const PayloadCursor& cursor, std::uint32_t count, std::size_t at,
                const char* what) {
    if (count > cursor.Remaining() / 8) {
        throw TagFormatError(at, std::string("the block claims ") + std::to_string(count) + " " +
                                     what + ", more than its " +
                                     std::to_string(cursor.Remaining()) + " remaining bytes hold");
    }
}

// What a list of tags is called in its errors.
struct TagListNames {
    const char* count;
    const char* plural;
    const char* key;
};

// Reads one list of tags: its count, then each key with the value that
// read_value takes from the cursor.
template <class Value, class ReadValue>
void DecodeTagList(PayloadCursor& cursor, const TagListNames& names,
                   std::vector<std::pair<std::string, Value>>& list, ReadValue read_value) {
    const std::size_t count_at = cursor.offset();
    const std::uint32_t count = cursor.U32(names.count);
    CheckCount(cursor, count, count_at, names.plural);
    list.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string_view key = cursor.Bytes(names.key);
        list.emplace_back(key, read_value());
    }
}

}  // namespace

bool IsTagBlockType(std::string_view type) {
    return std::find(kTagBlockTypes.begin(), kTagBlockTypes.end(), type) != kTagBlockTypes.end();
}

std::string EncodeTags(const Tags& tags) {
    std::string out;
    AppendU32(out, static_cast<std::uint32_t>(tags.integers.size()));
    for (const auto& [key, value] : tags.integers) {
        AppendBytes(out, key);
        AppendU32(out, static_cast<std::uint32_t>(value));
    }
    AppendU32(out, static_cast<std::uint32_t>(tags.strings.size()));
    for (const auto& [key, value] : tags.strings) {
        AppendBytes(out, key);
        AppendBytes(out, value);
    }
    return out;
}

Tags DecodeTags(std::string_view payload) {
    PayloadCursor cursor(payload);
    Tags tags;
    DecodeTagList(cursor, {"the count of integer tags", "integer tags", "an integer tag's key"},
                  tags.integers,
                  [&] { return static_cast<std::int32_t>(cursor.U32("an integer tag")); });
    DecodeTagList(cursor, {"the count of string tags", "string tags", "a string tag's key"},
                  tags.strings, [&] { return std::string(cursor.Bytes("a string tag's value")); });

    if (cursor.Remaining() != 0) {
        throw TagFormatError(cursor.offset(),
                             std::to_string(cursor.Remaining()) + " bytes follow the last tag");
    }
    return tags;
}

std::vector<RepeatedKey> RepeatedKeys(const Tags& tags) {
    // Each key's first value, an integer or a string.
    std::map<std::string, std::variant<std::int32_t, std::string>, std::less<>> first;
    std::vector<RepeatedKey> repeated;
    auto visit = [&](const std::string& key, const auto& value) {
        const auto [at, is_new] = first.try_emplace(key, value);
        if (is_new) return;
        auto known = std::find_if(repeated.begin(), repeated.end(),
                                  [&](const RepeatedKey& r) { return r.key == key; });
        if (known == repeated.end()) known = repeated.insert(repeated.end(), {key, true});
        known->same_value = known->same_value && at->second == decltype(at->second)(value);
    };
    for (const auto& [key, value] : tags.integers) visit(key, value);
    for (const auto& [key, value] : tags.strings) visit(key, value);
    return repeated;
}

Tags WithoutRepeats(const Tags& tags) {
    Tags once;
    std::set<std::string, std::less<>> keys;
    for (const auto& tag : tags.integers) {
        if (keys.insert(tag.first).second) once.integers.push_back(tag);
    }
    for (const auto& tag : tags.strings) {
        if (keys.insert(tag.first).second) once.strings.push_back(tag);
    }
    return once;
}

}  // namespace ormel::pray

// The container's fixed layout: "PRAY", then blocks, each a 144-byte header
// (type[4] name[128] stored:u32 unstored:u32 flags:u32, little-endian) and
// its payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ormel::pray {

constexpr std::string_view kPackageMagic = "PRAY";
constexpr std::size_t kTypeBytes = 4;
constexpr std::size_t kNameField = 128;  // zero-terminated, so names of at most 127 bytes
constexpr std::size_t kHeaderBytes = kTypeBytes + kNameField + 12;
constexpr std::uint32_t kCompressedFlag = 1;
constexpr std::uint64_t kMaxBlockBytes = 0xFFFFFFFFu;
// The most bytes a tag block may hold, 64 MiB: it is held in memory whole, so
// a reader accepts no larger claim and the builder writes no larger block.
constexpr std::uint32_t kTagBlockBudget = 64u << 20;

inline void PutU32(char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::uint32_t GetU32(const char* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}

}  // namespace ormel::pray

// libFuzzer target: any bytes as a package, read block by block and listed.
// A package either reads, and then each tag block encodes back to exactly
// its bytes, or it fails with a PackageError. Any other exception, a crash,
// a sanitizer report or an allocation of a claimed size is a fault.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "pray/errors.h"
#include "pray/package_contents.h"
#include "pray/package_reader.h"
#include "pray/tag_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ormel::pray;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        std::istringstream in(bytes);
        PackageReader reader(in, "fuzz.agent");
        while (reader.Next()) {
            std::string payload;
            reader.ReadData([&](std::string_view piece) { payload += piece; });
            if (payload.size() != reader.header().unstored) std::abort();
            if (IsTagBlockType(reader.header().type) && EncodeTags(reader.ReadTags()) != payload) {
                std::abort();
            }
        }
    } catch (const PackageError&) {
    }
    try {
        std::istringstream in(bytes);
        std::ostringstream listing;
        ListPackage(in, "fuzz.agent", listing);
    } catch (const PackageError&) {
    }
    return 0;
}

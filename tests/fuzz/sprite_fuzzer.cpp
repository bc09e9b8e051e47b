// libFuzzer target: any bytes as a sprite file, every image read. A file
// either opens, and then each image reads to its header's size or fails with
// a SpriteError, or it fails to open with one. Any other exception, a crash,
// a sanitizer report or an allocation beyond what the bytes justify is a
// fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sprite/sprite_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ormel::sprite;
    try {
        const SpriteFile file =
            SpriteFile::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
        for (int index = 0; index < file.Count(); ++index) {
            try {
                const Image image = file.Read(index);
                const ImageSize expected = file.Size(index);
                if (image.width != expected.width || image.height != expected.height ||
                    image.argb.size() != static_cast<std::size_t>(image.width) * image.height) {
                    std::abort();
                }
            } catch (const SpriteError&) {
            }
        }
    } catch (const SpriteError&) {
    }
    return 0;
}

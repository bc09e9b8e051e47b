// libFuzzer target: any bytes as a source document. A document either
// parses, and then writing its statements out again and parsing that gives
// the same blocks, or it fails with a SourceError at a real position. Any
// other exception, a crash or a sanitizer report is a fault.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pray/errors.h"
#include "pray/source_parser.h"

namespace {

using namespace ormel::pray;

// The statements again, one to a line, strings quoted by the writer's rules.
std::string Rewritten(const Source& source) {
    std::string text = QuoteSourceString(source.language) + "\n";
    for (const BlockSource& block : source.blocks) {
        if (!block.is_group) {
            text += "inline " + block.type + " " + QuoteSourceString(block.name) + " " +
                    QuoteSourceString(block.file.name) + "\n";
            continue;
        }
        text += "group " + block.type + " " + QuoteSourceString(block.name) + "\n";
        for (const auto& tag : block.integers) {
            text += QuoteSourceString(tag.key) + " " + std::to_string(tag.value) + "\n";
        }
        for (const auto& tag : block.strings) {
            text += QuoteSourceString(tag.key) + " " +
                    (tag.file ? "@ " + QuoteSourceString(tag.file->name)
                              : QuoteSourceString(tag.value)) +
                    "\n";
        }
    }
    return text;
}

bool SameBlocks(const Source& a, const Source& b) {
    if (a.language != b.language || a.blocks.size() != b.blocks.size()) return false;
    for (std::size_t i = 0; i < a.blocks.size(); ++i) {
        const BlockSource& x = a.blocks[i];
        const BlockSource& y = b.blocks[i];
        if (x.is_group != y.is_group || x.type != y.type || x.name != y.name ||
            x.file.name != y.file.name || x.integers.size() != y.integers.size() ||
            x.strings.size() != y.strings.size()) {
            return false;
        }
        for (std::size_t t = 0; t < x.integers.size(); ++t) {
            if (x.integers[t].key != y.integers[t].key ||
                x.integers[t].value != y.integers[t].value) {
                return false;
            }
        }
        for (std::size_t t = 0; t < x.strings.size(); ++t) {
            if (x.strings[t].key != y.strings[t].key || x.strings[t].value != y.strings[t].value ||
                x.strings[t].file.has_value() != y.strings[t].file.has_value()) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Source source = ParseSource(text, "fuzz.txt");
        // A UTF-8 document's rewrite carries no byte-order mark; its bytes
        // are taken the same either way.
        const Source again = ParseSource(Rewritten(source), "again.txt");
        if (!SameBlocks(source, again)) std::abort();
    } catch (const SourceError& error) {
        if (error.line() < 1 || error.column() < 1) std::abort();
    }
    return 0;
}

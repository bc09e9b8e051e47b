// libFuzzer target: any bytes as a source document. A document either
// parses, and then writing its statements out again and parsing that gives
// the same statements (compared as written out again), or it fails with a
// SourceError at a real position. Any other exception, a crash or a
// sanitizer report is a fault.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Source source = ParseSource(text, "fuzz.txt");
        // A UTF-8 document's rewrite carries no byte-order mark; its bytes
        // are taken the same either way.
        const std::string rewritten = Rewritten(source);
        if (Rewritten(ParseSource(rewritten, "again.txt")) != rewritten) std::abort();
    } catch (const SourceError& error) {
        if (error.line() < 1 || error.column() < 1) std::abort();
    }
    return 0;
}

#include "pray/source_strings.h"

#include "platform/text_encoding.h"

namespace ormel::pray {

bool OpensDoubleByteCharacter(std::string_view text) {
    return text.size() >= 2 && IsDoubleByteLead(text[0]) &&
           static_cast<unsigned char>(text[1]) >= 0x40;
}

std::string QuoteSourceString(std::string_view bytes) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        // A lead byte keeps its second half; without one it is escaped, so
        // that a reader does not pair it with the escape that may follow.
        if (OpensDoubleByteCharacter(bytes.substr(i))) {
            quoted += bytes.substr(i, 2);
            ++i;
            continue;
        }
        if (IsDoubleByteLead(c)) {
            quoted += '\\';
            quoted += c;
            continue;
        }
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace ormel::pray

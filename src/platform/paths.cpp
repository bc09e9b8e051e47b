#include "platform/paths.h"

namespace ormel {

std::string JoinPath(std::initializer_list<std::string_view> pieces) {
    std::string path;
    bool first = true;
    for (std::string_view piece : pieces) {
        if (!first) path += kPathSeparator;
        path += piece;
        first = false;
    }
    return path;
}

}  // namespace ormel

#include "support/temp_folder.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace ormel::test {

namespace fs = std::filesystem;

TempFolder::TempFolder()
    : path_(fs::temp_directory_path() / ("ormel-test-" + std::to_string(std::random_device()()))) {
    if (!fs::create_directory(path_)) throw std::runtime_error("temporary folder in use");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Windows keeps read-only files, and with them the folder, from removal.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string ToUtf8(const fs::path& path) {
    const auto text = path.u8string();
    return {text.begin(), text.end()};
}

fs::path FromUtf8(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + ToUtf8(file));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    if (!(out << bytes)) throw std::runtime_error("cannot write " + ToUtf8(file));
}

}  // namespace ormel::test

// ormel-pray: builds, lists and unpacks PRAY packages.
#include <iostream>

#include "pray/pray_cli.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text_encoding.h"

namespace {

// Messages are UTF-8, like the paths inside them: a pipe (the build's
// capture) gets them as they are, and a console shows them in its UTF-8
// code page for as long as the program runs.
class Utf8Console {
  public:
    Utf8Console() : previous_(GetConsoleOutputCP()) {
        if (previous_ != 0) SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (previous_ != 0) SetConsoleOutputCP(previous_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT previous_;
};

}  // namespace

// The command line comes as UTF-16, so that any path reaches the program
// whatever the ANSI code page; inside, it is UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    const Utf8Console console;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ormel::WideToUtf8(argv[i]));
    return ormel::pray::RunPrayCli(arguments, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return ormel::pray::RunPrayCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                   std::cerr);
}

#endif

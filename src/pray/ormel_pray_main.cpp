// ormel-pray: builds, lists and unpacks PRAY packages.
#include <iostream>

#include "pray/pray_cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return ormel::pray::RunPrayCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                   std::cerr);
}

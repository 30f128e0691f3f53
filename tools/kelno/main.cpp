// kelno [--open] [command [words...]]: the energetics of magma-water interaction on the
// reference water model. Without a command it prints its banner and commands. The Igor
// scripts it writes are opened (xdg-open) only with --open. The status is 1 when the
// command was unknown, refused or failed.
#include <cstring>
#include <vector>

#include "water/IgorOpener.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    std::vector<const char*> words(argv, argv + argc);
    if (words.size() > 1 && std::strcmp(words[1], "--open") == 0) {
        vornex::setIgorOpenerEnabled(true);
        words.erase(words.begin() + 1);
    }
    vornex::WagnerPruss water(2);
    return water.doWaterMagmaCommand(static_cast<int>(words.size()), words.data());
}

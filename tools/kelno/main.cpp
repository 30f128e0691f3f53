// kelno [--open] [--verbose] [command [words...]]: the energetics of magma-water interaction
// on the reference water model. Without a command it prints its banner and commands. The
// Igor scripts it writes are opened (xdg-open) only with --open; the numerical searches'
// traces go to standard error only with --verbose. The status is 1 when the command was
// unknown, refused or failed, a file it writes or its report on standard output could not
// be written, or a script asked to be opened was not.
#include <cstring>
#include <vector>

#include "numerics/AtomicFile.h"
#include "numerics/Diagnostics.h"
#include "numerics/StandardOutput.h"
#include "water/IgorOpener.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
    vornex::guardStandardStreams();
    std::vector<const char*> words(argv, argv + argc);
    // The switches may stand anywhere among the leading options ("--help --open" as well).
    for (std::size_t i = 1; i < words.size() && std::strncmp(words[i], "--", 2) == 0;) {
        if (std::strcmp(words[i], "--open") == 0)
            vornex::setIgorOpenerEnabled(true);
        else if (std::strcmp(words[i], "--verbose") == 0)
            vornex::setDiagnostics(true);
        else {
            ++i;
            continue;
        }
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
    }
    vornex::WagnerPruss water(2);
    return vornex::finishStandardOutput(
        "kelno", water.doWaterMagmaCommand(static_cast<int>(words.size()), words.data()));
}

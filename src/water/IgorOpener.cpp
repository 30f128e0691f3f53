#include "water/IgorOpener.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "numerics/ConsoleInput.h"
#include "numerics/Launcher.h"

namespace vornex {

namespace {
std::atomic<bool> sOpenerEnabled{false};
}

void setIgorOpenerEnabled(bool enabled) {
    sOpenerEnabled = enabled;
}

bool igorOpenerEnabled() {
    return sOpenerEnabled;
}

int openIgorScript(const std::string& file) {
    if (!igorOpenerEnabled()) return -1;
    const std::string program = findOnPath("xdg-open");
    if (program.empty()) {
        std::fprintf(stderr, "xdg-open not found on the PATH; %s not opened\n", file.c_str());
        return -1;
    }
    return spawnAndWait(program, {"xdg-open", file});
}

std::string igorFolder() {
    std::unique_ptr<char[]> folder(getMacIgorDir());
    return folder.get();
}

}  // namespace vornex

#include "water/IgorOpener.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "numerics/ConsoleInput.h"
#include "numerics/Launcher.h"

namespace vornex {

namespace {
std::atomic<bool> sOpenerEnabled{false};
std::atomic<unsigned long> sOpenFailures{0};
}  // namespace

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
        ++sOpenFailures;
        return -1;
    }
    const int status = spawnAndWait(program, {"xdg-open", file});
    if (status != 0) {
        // A status of -1 (not started, or killed) was said by the launcher.
        if (status > 0)
            std::fprintf(stderr, "xdg-open could not open %s (exit status %d)\n", file.c_str(),
                         status);
        ++sOpenFailures;
    }
    return status;
}

unsigned long igorOpenFailures() {
    return sOpenFailures;
}

std::string igorFolder() {
    std::unique_ptr<char[]> folder(getMacIgorDir());
    return folder.get();
}

}  // namespace vornex

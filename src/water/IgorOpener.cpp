#include "water/IgorOpener.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <vector>

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
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20)) return "./";
        buffer.resize(buffer.size() * 2);
    }
    std::string folder(buffer.data());
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace vornex

#include "numerics/Gnuplot.h"
#include "numerics/Decimal.h"

#include <atomic>
#include <cstdio>

#include "numerics/Launcher.h"

namespace vornex {

namespace {
std::atomic<bool> sGnuplotEnabled{false};
}

void setGnuplotEnabled(bool enabled) {
    sGnuplotEnabled = enabled;
}
bool gnuplotEnabled() {
    return sGnuplotEnabled;
}

std::string findGnuplot() {
    return findOnPath("gnuplot");
}

int runGnuplot(const std::string& script) {
    if (!gnuplotEnabled()) return -1;
    std::string program = findGnuplot();
    if (program.empty()) {
        vornex::cfprintf(stderr, "gnuplot not found on the PATH; %s not plotted\n", script.c_str());
        return -1;
    }
    return spawnAndWait(program, {"gnuplot", script, "-"});
}

}  // namespace vornex

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

std::string gnuplotQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7f || c == '`') {
            // Four digits, led by 0: gnuplot reads up to four after a 0, so a digit that
            // follows is never taken into the escape. A backquote runs its text as a shell
            // command wherever it stands on a gnuplot line, inside a double-quoted string
            // too, before the string's escapes are read: as an escape it is a character.
            char escape[8];
            vornex::csnprintf(escape, sizeof escape, "\\0%03o", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
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

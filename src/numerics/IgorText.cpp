#include "numerics/IgorText.h"
#include "numerics/Decimal.h"

#include <cmath>

namespace vornex {

void writeIgorHeader(std::FILE* out, const std::string& names) {
    vornex::cfprintf(out, "IGOR\nWAVES %s\nBEGIN\n", names.c_str());
}

void writeIgorRow(std::FILE* out, std::span<const double> values) {
    const char* separator = "";
    for (double v : values) {
        if (std::isfinite(v))
            vornex::cfprintf(out, "%s%#.10lg", separator, v);
        else
            vornex::cfprintf(out, "%sNaN", separator);
        separator = " ";
    }
    std::fputc('\n', out);
}

void writeIgorEnd(std::FILE* out) {
    std::fputs("END\n", out);
}

void writeIgorCommand(std::FILE* out, const std::string& command) {
    vornex::cfprintf(out, "x %s\n", command.c_str());
}

}  // namespace vornex

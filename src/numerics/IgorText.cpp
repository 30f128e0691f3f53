#include "numerics/IgorText.h"

#include <cmath>

namespace vornex {

void writeIgorHeader(std::FILE* out, const std::string& names) {
    std::fprintf(out, "IGOR\nWAVES %s\nBEGIN\n", names.c_str());
}

void writeIgorRow(std::FILE* out, std::span<const double> values) {
    const char* separator = "";
    for (double v : values) {
        if (std::isfinite(v))
            std::fprintf(out, "%s%#.10lg", separator, v);
        else
            std::fprintf(out, "%sNaN", separator);
        separator = " ";
    }
    std::fputc('\n', out);
}

void writeIgorEnd(std::FILE* out) {
    std::fputs("END\n", out);
}

void writeIgorCommand(std::FILE* out, const std::string& command) {
    std::fprintf(out, "x %s\n", command.c_str());
}

}  // namespace vornex

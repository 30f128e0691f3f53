// The numbers of a printed or written line, read as the files are written: with a point,
// whatever locale the run has set.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "numerics/Decimal.h"

namespace vornex::test {

// The numbers of a line, or none when a word is not one.
inline std::vector<double> numbersOf(const std::string& line) {
    std::vector<double> row;
    std::istringstream in(line);
    for (std::string w; in >> w;) {
        char* end = nullptr;
        const double v = vornex::cstrtod(w.c_str(), &end);
        if (end == w.c_str() || *end != '\0') return {};
        row.push_back(v);
    }
    return row;
}

}  // namespace vornex::test

// The rows (T K, V cm3/mol, P bar) of a curve file a characteristic-curve tracer wrote, read
// with a point whatever the locale.
#pragma once

#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace vornex::test {

inline std::vector<std::vector<double>> curveRowsOf(const char* path) {
    std::ifstream in(path);
    std::vector<std::vector<double>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        s.imbue(std::locale::classic());
        double T, V, P;
        if (s >> T >> V >> P) rows.push_back({T, V, P});
    }
    return rows;
}

}  // namespace vornex::test

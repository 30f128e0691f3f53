// Reading back the text tables the water studies write.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vornex {

inline std::vector<std::string> tableLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The words of a row as numbers ("nan" included).
inline std::vector<double> rowNumbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> v;
    for (std::string word; in >> word;) v.push_back(std::strtod(word.c_str(), nullptr));
    return v;
}

}  // namespace vornex

// Reading back the text files the fluid's tracers and reports write.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vornex::testing {

inline std::string slurp(const std::string& name) {
    std::ostringstream s;
    s << std::ifstream(name, std::ios::binary).rdbuf();
    return s.str();
}

inline std::vector<std::string> fileLines(const std::string& name) {
    std::ifstream in(name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whitespace-separated fields of a line.
inline std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// The fields of a line read as numbers ("nan" included).
inline std::vector<double> numbersOf(const std::string& line) {
    std::vector<double> out;
    for (const std::string& w : words(line)) out.push_back(std::stod(w));
    return out;
}

}  // namespace vornex::testing

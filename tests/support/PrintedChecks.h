// Reading what a console self-check printed: its lines, the number that ends a line, and the
// derivative check of a Helmholtz term, which prints each analytic derivative ("der. ana."
// for the first order, "d2 ana." for the second) above its central difference.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace vornex::test {

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline double lastNumber(const std::string& line) {
    const auto at = line.find_last_of(" \t");
    return std::stod(line.substr(at == std::string::npos ? 0 : at + 1));
}

// What a writer puts on the stream it is given.
inline std::string writtenText(const std::function<void(std::FILE*)>& write) {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    write(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// A printed pair: the analytic line, its value and the central difference under it.
struct PrintedPair {
    std::string line;
    double analytic, numeric;
    bool agrees() const {
        return std::fabs(numeric - analytic) <= 1e-4 * std::fabs(analytic) + 1e-6;
    }
};

// The first-order pairs ("der. ana.") and, unless `firstOnly`, the second-order ones, which
// the check's steps resolve.
inline std::vector<PrintedPair> derivativePairs(const std::string& text, bool firstOnly = false) {
    const auto lines = linesOf(text);
    std::vector<PrintedPair> pairs;
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        const bool first = lines[k].rfind("der. ana.", 0) == 0;
        const bool second = !firstOnly && lines[k].rfind("d2 ana.", 0) == 0;
        if (first || second)
            pairs.push_back({lines[k], lastNumber(lines[k]), lastNumber(lines[k + 1])});
    }
    return pairs;
}

// Every first- and second-order pair agrees; the number of pairs compared.
inline int expectDerivativePairsAgree(const std::string& text) {
    const auto pairs = derivativePairs(text);
    for (const PrintedPair& p : pairs)
        EXPECT_NEAR(p.numeric, p.analytic, 1e-4 * std::fabs(p.analytic) + 1e-6) << p.line;
    return static_cast<int>(pairs.size());
}

// The value the check prints on its "Value" line; NaN, and a failure, without one.
inline double printedValue(const std::string& text) {
    for (const auto& line : linesOf(text))
        if (line.rfind("Value", 0) == 0) return lastNumber(line);
    ADD_FAILURE() << "no Value line in\n" << text;
    return std::nan("");
}

}  // namespace vornex::test

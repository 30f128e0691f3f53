// The printout of a state keeps its fields apart whatever their size: far outside a model's
// range a heat capacity may reach 1e22 J/(mol K).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

// The blank-separated words of the printout's line for `name` ("cv", "h").
std::vector<std::string> wordsOfLine(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (words.size() > 1 && words[0] == "->" && words[1] == name) return words;
    }
    return {};
}

TEST(StatePrintout, HugeValuesStayInTheirOwnFields) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    for (double cv : {36.5, 3.6747942736183152e19, -2.5e22}) {
        fluid->calculateFromTV(300.0, 1e-3, 0);
        fluid->Cv = cv;
        const std::vector<std::string> w = wordsOfLine(test::stdoutOf([&] { fluid->dump(); }), "cv");
        ASSERT_EQ(w.size(), 6u) << cv;
        EXPECT_EQ(w[3], "J/kg/K");
        EXPECT_EQ(w[5], "J/mol/K");
        EXPECT_NEAR(std::stod(w[2]) / (cv / testing::kVdwMass), 1.0, 1e-4) << w[2];
        EXPECT_NEAR(std::stod(w[4]) / cv, 1.0, 1e-4) << w[4];
    }
}

}  // namespace
}  // namespace vornex

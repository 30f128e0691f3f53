// The term diagnostics on the reference water model: its self-test at the check point runs
// the residual term's derivative check, whose analytic derivatives to the fourth order must
// agree with central differences; and water at a very large volume is an ideal gas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

TEST(WaterTermDiagnostics, SelfTestDerivativeChecksAgree) {
    WagnerPruss water(2);
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const std::string text = test::stdoutOf([&] { water.checkInteractions(sink); });
    std::fclose(sink);
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    int pairs = 0;
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        const std::string& line = lines[k];
        if (line.rfind("der. ana.", 0) != 0 && line.rfind("d2 ana.", 0) != 0 &&
            line.rfind("d3 ana.", 0) != 0 && line.rfind("d4 ana.", 0) != 0)
            continue;
        const double analytic = std::stod(testing::words(lines[k]).back());
        const double numeric = std::stod(testing::words(lines[k + 1]).back());
        if (analytic == 0.0 && numeric == 0.0) continue;
        EXPECT_NEAR(numeric, analytic, 1e-4 * std::fabs(analytic) + 1e-6) << lines[k];
        ++pairs;
    }
    // The derivatives in T and V to the fourth order: 2 + 3 + 4 + 5 (x_0 has none).
    EXPECT_EQ(pairs, 14);
}

TEST(WaterTermDiagnostics, IdealLimitAtOneMillionCubicMetres) {
    WagnerPruss water(2);
    water.checkInfiniteVolumes(1e6, 273.15, 283.15, 1, "w");
    const auto lines = testing::fileLines("infw");
    ASSERT_EQ(lines.size(), 8u + 11u + 1u);
    for (size_t k = 8; k < 19; ++k) {
        const auto row = testing::numbersOf(lines[k]);
        ASSERT_EQ(row.size(), 8u);
        EXPECT_NEAR(row[3], 1.0, 1e-6);
        EXPECT_NEAR(row[6], 1.0, 1e-6);
    }
}

}  // namespace
}  // namespace vornex

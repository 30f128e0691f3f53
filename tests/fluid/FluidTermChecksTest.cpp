// Term inspection: the plotted node and its first derivative against the van der Waals
// closed form a = -ln(V - b) - a/(RTV), the composition rule of the plotted mole fraction,
// empty ranges, refused steps and terms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::numbersOf;

class TermInspection : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = testing::makeVanDerWaals(1, 2.5);
};

TEST_F(TermInspection, RootAgainstVolumeFollowsClosedForm) {
    fluid->temperature(300.0);
    fluid->plotParameterVariation(0, nullptr, 1, 1e-4, 5e-4, 1e-4, "v");
    const auto lines = fileLines("parv");
    ASSERT_EQ(lines.size(), 9u);
    const double RT = kGasConstant * 300.0;
    for (size_t i = 3; i < 8; ++i) {
        const auto c = numbersOf(lines[i]);
        const double V = c[0];
        EXPECT_NEAR(c[1], -std::log(V - kVdwB) - kVdwA / (RT * V), 1e-5 * std::fabs(c[1]));
        EXPECT_NEAR(c[2], -1.0 / (V - kVdwB) + kVdwA / (RT * V * V), 1e-5 * std::fabs(c[2]));
    }
}

TEST_F(TermInspection, IdealTermAgainstTemperature) {
    fluid->volume(1e-3);
    fluid->plotParameterVariation(-1, "no such node", 0, 300.0, 300.0, 1.0, "t");
    const auto lines = fileLines("part");
    ASSERT_EQ(lines.size(), 5u);
    const auto c = numbersOf(lines[3]);
    EXPECT_NEAR(c[1], -2.5 * std::log(300.0), 1e-4);  // a = -(cv/R) ln T, six digits
    EXPECT_NEAR(c[2], -2.5 / 300.0, 1e-8);
}

// An empty range writes the header and the end only; a step that does not advance and
// terms that are not there write nothing.
TEST_F(TermInspection, EmptyRangesNonAdvancingStepsAndUnknownTerms) {
    fluid->plotParameterVariation(0, nullptr, 1, 5e-4, 1e-4, 1e-4, "e");
    EXPECT_EQ(fileLines("pare").size(), 4u);
    EXPECT_NE(test::stderrOf([&] {
                  fluid->plotParameterVariation(0, nullptr, 1, 1e-4, 5e-4, 0.0, "z");
              }).find("must be positive"),
              std::string::npos);
    fluid->plotParameterVariation(1, nullptr, 1, 1e-4, 5e-4, 1e-4, "z");
    fluid->plotParameterVariation(-2, nullptr, 1, 1e-4, 5e-4, 1e-4, "z");
    EXPECT_TRUE(fileLines("parz").empty());

    auto noIdeal = testing::makeVanDerWaals(1);
    noIdeal->plotParameterVariation(-1, nullptr, 0, 300.0, 310.0, 1.0, "n");
    EXPECT_TRUE(fileLines("parn").empty());
}

TEST_F(TermInspection, ThirdComponentShareIsSplitBetweenTheOthers) {
    auto mixture = testing::makeFluid(
        new testing::VanDerWaalsTerm({0.36, 0.25, 0.23, 0.2, 0.2, 0.2}, {4.3e-5, 4.3e-5, 3e-5}),
        {0.044, 0.016, 0.03});
    mixture->temperature(300.0);
    mixture->volume(1e-3);
    mixture->plotParameterVariation(0, nullptr, 3, 0.2, 0.4, 0.1, "x");
    ASSERT_EQ(fileLines("parx").size(), 7u);
    EXPECT_NEAR(mixture->x[1], 0.4, 1e-12);
    EXPECT_NEAR(mixture->x[0], 0.3, 1e-12);
    EXPECT_NEAR(mixture->x[2], 0.3, 1e-12);
}

}  // namespace
}  // namespace vornex

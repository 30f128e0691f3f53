// Two-phase iso-lines of a van der Waals fluid: every row is a lever-rule mixture holding the
// iso-line's value, the critical isochore includes the critical row, and the file formats.
// Rows are printed to six digits, the tolerances follow.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;
using testing::numbersOf;
using testing::vdwCritical;

class VanDerWaalsIsoBiphasic : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);

    // Data rows of a column table (header line skipped).
    static std::vector<std::vector<double>> rows(const std::string& file) {
        std::vector<std::vector<double>> out;
        for (const std::string& line : fileLines(file))
            if (!line.empty() && line[0] != '#') out.push_back(numbersOf(line));
        return out;
    }
    void traceFromCritical(IsoParameterFlag flag, double value, char igor, const char* suffix) {
        fluid->calculateIsoBiphasic(flag, value, 2, crit.Tc, 1.0, crit.Vc, crit.Vc, 0.7 * crit.Tc,
                                    igor, suffix);
    }
};

TEST_F(VanDerWaalsIsoBiphasic, CriticalIsochoreStartsWithCriticalRowAndKeepsVolume) {
    traceFromCritical(kIsoVolume, crit.Vc, 2, "c");
    const auto r = rows("isovvc");
    ASSERT_GT(r.size(), 50u);
    EXPECT_NEAR(r[0][2], crit.Tc, 1e-3);         // T of the critical row
    EXPECT_NEAR(r[0][0], crit.Pc * 1e-5, 1e-4);  // P, bar
    for (const auto& row : r) {
        ASSERT_EQ(row.size(), 14u);
        EXPECT_NEAR(row[1], crit.Vc * 1e6, 1e-3) << "T " << row[2];
        EXPECT_NEAR(row[12], testing::kVdwMass / crit.Vc, 1e-3) << "T " << row[2];
    }
    EXPECT_GE(r.back()[2], 0.7 * crit.Tc);
}

TEST_F(VanDerWaalsIsoBiphasic, IsentropeOfMixturesHoldsEntropyBetweenPhases) {
    // The critical entropy: the mixture's entropy stays there while its vapour fraction
    // moves, so each row's volume lies between the saturated ones.
    fluid->calculateFromTV(crit.Tc, crit.Vc, 0);
    const double Sc = fluid->S;
    traceFromCritical(kIsoEntropy, Sc + 1.0, 2, "s");
    const auto r = rows("isosss");
    ASSERT_GT(r.size(), 10u);
    for (const auto& row : r)
        EXPECT_NEAR(row[7], Sc + 1.0, 1e-5 * std::fabs(Sc + 1.0)) << "T " << row[2];
    // Lever rule at one conode, checked against an independent saturation solve.
    // The conode nearest Tr = 0.9, where the reduced coexistence volumes are 0.6034 and 2.3488.
    std::vector<double> mid = r[0];
    for (const auto& row : r)
        if (std::fabs(row[2] - 0.9 * crit.Tc) < std::fabs(mid[2] - 0.9 * crit.Tc)) mid = row;
    ASSERT_TRUE(testing::saturate(*fluid, mid[2], 0.6034 * crit.Vc, 2.3488 * crit.Vc));
    const double Vl = fluid->Vl, Vv = fluid->Vv;
    fluid->calculateFromTV(mid[2], Vl, 0);
    const double Sl = fluid->S, Hl = fluid->H;
    fluid->calculateFromTV(mid[2], Vv, 0);
    const double beta = (Sc + 1.0 - Sl) / (fluid->S - Sl);
    EXPECT_NEAR(mid[1], ((1 - beta) * Vl + beta * Vv) * 1e6, 1e-5 * mid[1]);
    EXPECT_NEAR(mid[4], (1 - beta) * Hl + beta * fluid->H, 1e-5 * std::fabs(mid[4]));
}

TEST_F(VanDerWaalsIsoBiphasic, LiquidSideIsochoreWritesOnlyWhereLiquidIsDenser) {
    // 0.6 Vc is the saturated liquid volume near Tr 0.9: no rows above that temperature.
    traceFromCritical(kIsoVolume, 0.6 * crit.Vc, 2, "l");
    const auto r = rows("isovvl");
    ASSERT_GT(r.size(), 5u);
    for (const auto& row : r) {
        EXPECT_LT(row[2], 0.905 * crit.Tc);
        EXPECT_NEAR(row[1], 0.6 * crit.Vc * 1e6, 1e-3);
    }
}

TEST_F(VanDerWaalsIsoBiphasic, UnknownFlagWritesNothing) {
    fluid->calculateIsoBiphasic(static_cast<IsoParameterFlag>(5), 0.0, 2, crit.Tc, 1.0, crit.Vc,
                                crit.Vc, 0.9 * crit.Tc, 2, "x");
    EXPECT_TRUE(fileLines("isox").empty());
}

TEST_F(VanDerWaalsIsoBiphasic, AscendingLineFromSaturatedStateEndsAtCriticalRow) {
    fluid->temperature(0.8 * crit.Tc);
    fluid->Vl0 = 0.52 * crit.Vc;
    fluid->Vv0 = 4.2 * crit.Vc;
    fluid->calculateIsoBiphasic(kIsoVolume, crit.Vc, 0, 0.8 * crit.Tc, 2.0, 0.52 * crit.Vc,
                                4.2 * crit.Vc, 0.5 * crit.Tc, 2, "a");
    const auto r = rows("isovva");
    ASSERT_GT(r.size(), 5u);
    EXPECT_NEAR(r.front()[2], 0.8 * crit.Tc, 1e-3);
    EXPECT_NEAR(r.back()[2], crit.Tc, 1e-3);
}

}  // namespace
}  // namespace vornex

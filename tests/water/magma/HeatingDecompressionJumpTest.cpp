// The heating-decompression path jumps over its steps along the smooth curve the steps'
// points lie on; where nothing is written step by step it must land where the steps land.
// The stepped path (its rows asked for) is the reference: ends, boundaries, work and heat
// agree to the jumps' own accuracy, across the regimes the rules switch between.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/TextFiles.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

struct PathEnds {
    int boundaryReached, endInterpolated;
    double boundaryT, boundaryP, boundaryV, boundaryW, boundaryQ;
    double endT, endP, endV, endW, endQ;
    size_t steps;
};

struct PathCase {
    const char* what;
    double T0, V0cm3, m, L, Tsol, Tliq;
};

class HeatingDecompressionJumpTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};

    PathEnds run(const PathCase& c, bool stepped) {
        water.waterMagmaRatio = c.m;
        water.magmaHeatCapacity = 1200.0;
        water.latentHeat = c.L;
        water.solidusTemperature = c.Tsol;
        water.liquidusTemperature = c.Tliq;
        water.magmaTemperature = 1473.15;
        water.error = 0;
        CurveArray rows;
        water.calculateHeatingDecompression(c.V0cm3 * 1e-6, c.T0, 273.15, 1473.15, 1e5,
                                            stepped ? 6 : 0, "", stepped ? &rows : nullptr);
        EXPECT_EQ(water.error, 0) << c.what;
        const WaterEOS& w = water;
        return {w.boundaryReached, w.endInterpolated, w.boundaryTemperature,
                w.boundaryPressure, w.boundaryVolume, w.boundaryWork,
                w.boundaryHeat, w.endTemperature, w.endPressure,
                w.endVolume, w.endWork, w.endHeat,
                rows.size() / 13};
    }
};

TEST_F(HeatingDecompressionJumpTest, JumpsLandWhereTheStepsLand) {
    const PathCase cases[] = {
        // From 22 kbar in steps of 10, 5, 2, 1 and 0.5 bar; the magma stays in its melting
        // range.
        {"little water, hot dense start", 1471.69, 18.0516, 0.001, 350000.0, 1173.15, 1473.15},
        // Crosses the solidus, then steps in T of 2 and 1 K.
        {"crosses the solidus", 1007.24, 18.0516, 0.2, 350000.0, 1173.15, 1473.15},
        {"ends at the boundary", 718.46, 18.0516, 1.0, 350000.0, 1173.15, 1473.15},
        // Compressed liquid down to 1 bar in steps of 0.5 bar.
        {"liquid to the end pressure", 361.07, 18.0516, 6.0, 350000.0, 1173.15, 1473.15},
        // Runs close by the critical point, steps of 0.1 K below 650 K.
        {"by the critical point", 804.73, 18.0516, 0.35, 0.0, 1173.15, 1473.15},
        // A single melting point the magma stays above.
        {"single melting point", 1471.69, 18.0516, 0.001, 350000.0, 1373.15, 1373.15},
        // Steam, steps in T, interpolated at 1 bar.
        {"steam to 1 bar", 1200.0, 2000.0, 1.0, 0.0, 1173.15, 1473.15},
    };
    for (const PathCase& c : cases) {
        const PathEnds s = run(c, true), j = run(c, false);
        ASSERT_GT(s.steps, 100u) << c.what;
        EXPECT_EQ(j.boundaryReached, s.boundaryReached) << c.what;
        EXPECT_EQ(j.endInterpolated, s.endInterpolated) << c.what;
        // Work and heat to 2e-6 of the energy exchanged; states to the same share.
        const double energy = std::fabs(s.endW) + std::fabs(s.endQ) + 1.0;
        EXPECT_NEAR(j.endW, s.endW, 2e-6 * energy) << c.what;
        EXPECT_NEAR(j.endQ, s.endQ, 2e-6 * energy) << c.what;
        EXPECT_NEAR(j.endT, s.endT, 1e-6 * s.endT) << c.what;
        EXPECT_NEAR(j.endP, s.endP, 1e-6 * s.endP + 1.0) << c.what;
        EXPECT_NEAR(j.endV, s.endV, 1e-6 * s.endV) << c.what;
        if (s.boundaryReached == 1) {
            EXPECT_NEAR(j.boundaryW, s.boundaryW, 2e-6 * energy) << c.what;
            EXPECT_NEAR(j.boundaryQ, s.boundaryQ, 2e-6 * energy) << c.what;
            EXPECT_NEAR(j.boundaryT, s.boundaryT, 1e-6 * s.boundaryT) << c.what;
            EXPECT_NEAR(j.boundaryP, s.boundaryP, 1e-6 * s.boundaryP) << c.what;
        }
    }
}

TEST_F(HeatingDecompressionJumpTest, EachStepReachesItsPressureAndBalancesTheMagma) {
    // The written path of a compressed liquid, steps of 0.5 bar in pressure. Each step's
    // isentropic stage, recovered from the rows (the temperature at the new volume with the
    // previous point's entropy), ends at the pressure asked for; the water's heat balances
    // the magma's cooling step by step, so in sum from the start. Columns: T V P A H U S G
    // Cv Cp Tm W Q.
    const PathCase c{"liquid", 361.07, 18.0516, 6.0, 0.0, 1173.15, 1473.15};
    water.waterMagmaRatio = c.m;
    water.magmaHeatCapacity = 1200.0;
    water.latentHeat = 0.0;
    water.error = 0;
    CurveArray rows;
    water.calculateHeatingDecompression(c.V0cm3 * 1e-6, c.T0, 273.15, 1473.15, 1e5, 6, "",
                                        &rows);
    ASSERT_EQ(water.error, 0);
    const size_t n = rows.size() / 13;
    ASSERT_GT(n, 400u);
    int checked = 0;
    for (size_t i = 3; i < n; ++i) {
        const double* row = &rows[13 * i];
        const double* before = row - 13;
        const double released = (water.M / c.m) * 1200.0 * (c.T0 - row[10]);
        EXPECT_NEAR(row[12], released, 1e-9 * released + 1e-9) << "row " << i;
        if (before[2] > 9.9 || before[2] < 1.0) continue;
        const double V = row[1] * 1e-6;
        double T = row[0];
        for (int k = 0; k < 20; ++k) {
            water.calculateFromTV(T, V, 0);
            T -= (water.S - before[6]) / (water.Cv / T);
        }
        water.calculateFromTV(T, V, 0);
        EXPECT_NEAR(water.P, (before[2] - 0.5) * 1e5, 1e-3) << "row " << i;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

}  // namespace
}  // namespace vornex

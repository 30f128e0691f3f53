// Saturated states of given entropy close to the critical point, where the general search of
// (T, Vl, Vv) is nearly singular, and the isentropic expansion whose two-phase end lies
// there: the states coexist and keep their entropy, and the expansion's work follows the
// cycle's entropy smoothly across the critical one.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

TEST(NearCriticalSaturation, StatesOfGivenEntropyCoexistAndKeepIt) {
    WagnerPruss water(2);
    for (double offset : {0.5, 0.3, 0.2, 0.1, 0.06, 0.03}) {
        for (bool liquid : {true, false}) {
            const double S = kWaterCriticalEntropy + (liquid ? -offset : offset);
            const int code = liquid ? water.calculateBoilingPointFromS(S)
                                    : water.calculateCondensationPointFromS(S);
            ASSERT_EQ(code, 0) << S;
            ASSERT_EQ(water.error, 0) << S;
            const double T = water.T, Vl = water.Vl, Vv = water.Vv;
            // Within 1e-4 K of the critical point the coexistence fixes the entropy to some
            // 1e-7 of it only.
            EXPECT_NEAR(water.S, S, (offset < 0.15 ? 1e-6 : 1e-8) * S) << S;
            EXPECT_LT(T, kWaterCriticalTemperature) << S;
            EXPECT_LT(Vl, Vv) << S;
            water.calculateFromTV(T, Vl, 0);
            const double Pl = water.P, Gl = water.G;
            water.calculateFromTV(T, Vv, 0);
            EXPECT_NEAR(water.P, Pl, 1e-9 * Pl) << S;
            EXPECT_NEAR(water.G, Gl, 1e-9 * std::fabs(Gl)) << S;
        }
    }
}

TEST(NearCriticalSaturation, ExpansionWorkIsSmoothAcrossTheCriticalEntropy) {
    // Surface at 50 bar, magma at 900 deg. C: between m = 0.044 and 0.056 the state 3's
    // entropy crosses the critical one and the isentrope meets the two-phase curve within a
    // kelvin of the critical point.
    WagnerPruss water(2);
    std::vector<double> works;
    const int n = 25;
    for (int i = 0; i < n; ++i) {
        const double m = 0.044 + 0.0005 * i;
        WaterMagmaCalculationInfo info;
        char mText[32];
        std::snprintf(mText, sizeof mText, "%.4f", m);
        const char* words[] = {"Psurf", "50", "Tm", "900", "m", mText};
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(info.readArguments(6, words), 0);
        WaterMagmaCalculationResult r;
        water.calculateWaterMagmaCycle(info, r, 0, 0);
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(r.failed, 0) << m;
        ASSERT_EQ(r.twoPhase, 1) << m;
        EXPECT_NEAR(r.S4, r.S3, 1e-6 * r.S3) << "isentropic to state 4 at m " << m;
        works.push_back(-r.Wrev);
    }
    // Work per gram of water falls with m, without a step: second differences stay within a
    // few times their mean (a state 4 off the isentrope moved one point by 0.4 %).
    double mean = 0.0;
    for (int i = 1; i + 1 < n; ++i) mean += std::fabs(works[i + 1] - 2 * works[i] + works[i - 1]);
    mean /= n - 2;
    for (int i = 1; i + 1 < n; ++i) {
        EXPECT_LT(works[i + 1], works[i]) << i;
        EXPECT_LT(std::fabs(works[i + 1] - 2 * works[i] + works[i - 1]), 4.0 * mean + 1e-3) << i;
    }
}

}  // namespace
}  // namespace vornex

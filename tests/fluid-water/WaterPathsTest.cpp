// The fluid framework's entropy, enthalpy and homogenisation searches on the reference water
// model: saturated states of a given entropy against IAPWS-95 Table 8 and as the inverse of
// the saturation at T (from the same start fits the water helpers use), homogenisation
// temperatures, the state from (T, S), and a steam isentrope.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/TextCapture.h"
#include "water/Table8.h"
#include "water/WagnerPruss.h"
#include "water/WaterSaturationCorrelations.h"

namespace vornex {
namespace {

constexpr double kM = kWaterMolarMass;
constexpr double kPerMass = 1000 * kM;  // kJ/(kg K) to J/(mol K)

class WaterSearches : public ::testing::Test {
   protected:
    WagnerPruss water{2};
    void startFrom(const water::SearchStart& s) {
        water.temperature(s.T);
        water.Vl0 = s.Vl;
        water.Vv0 = s.Vv;
    }
};

// The model meets the entropies of Table 7 to 1e-5 relative (its gas constant is not the
// one of IAPWS-95), which is a few mK in saturation temperature.
TEST_F(WaterSearches, SaturatedLiquidAndVapourOfTable8Entropies) {
    for (const testing::SaturationCheck& p : testing::kTable8) {
        startFrom(water::boilingStartFromS(p.sL * kPerMass));
        EXPECT_EQ(water.calculateLiquidSaturationFromEntropy(p.sL * kPerMass), 0) << p.T;
        EXPECT_NEAR(water.T, p.T, 5e-3) << p.T;
        EXPECT_NEAR(water.P, p.p * 1e6, 2e-5 * p.p * 1e6) << p.T;

        startFrom(water::condensationStartFromS(p.sV * kPerMass));
        EXPECT_EQ(water.calculateGasSaturationFromEntropy(p.sV * kPerMass), 0) << p.T;
        EXPECT_NEAR(water.T, p.T, 5e-3) << p.T;
    }
}

TEST_F(WaterSearches, SaturationFromEntropyInvertsSaturationAtT) {
    for (double T : {300.0, 400.0, 500.0, 600.0, 640.0}) {
        water.calculateTheSaturationPressure(T);
        ASSERT_EQ(water.error, 0) << T;
        const double Vl = water.Vl, Vv = water.Vv;
        water.calculateFromTV(T, Vl, 0);
        const double Sl = water.S;
        water.calculateFromTV(T, Vv, 0);
        const double Sv = water.S;

        startFrom(water::boilingStartFromS(Sl));
        ASSERT_EQ(water.calculateLiquidSaturationFromEntropy(Sl), 0) << T;
        EXPECT_NEAR(water.T, T, 1e-7 * T) << T;
        EXPECT_NEAR(water.V / Vl, 1.0, 1e-8) << T;

        startFrom(water::condensationStartFromS(Sv));
        ASSERT_EQ(water.calculateGasSaturationFromEntropy(Sv), 0) << T;
        EXPECT_NEAR(water.T, T, 1e-7 * T) << T;
        EXPECT_NEAR(water.V / Vv, 1.0, 1e-7) << T;
    }
}

TEST_F(WaterSearches, HomogenisationTemperaturesOfSaturatedVolumes) {
    for (double T : {350.0, 500.0, 620.0}) {
        water.calculateTheSaturationPressure(T);
        ASSERT_EQ(water.error, 0) << T;
        const double Vl = water.Vl, Vv = water.Vv;
        startFrom(water::saturationStartFromT(T - 2.0));
        ASSERT_EQ(water.calculateLiquidTh(Vl), 0) << T;
        EXPECT_NEAR(water.T, T, 1e-7 * T) << T;
        EXPECT_NEAR(water.Vv / Vv, 1.0, 1e-7) << T;

        startFrom(water::saturationStartFromT(T + 2.0));
        ASSERT_EQ(water.calculateGasTh(Vv), 0) << T;
        EXPECT_NEAR(water.T, T, 1e-7 * T) << T;
        EXPECT_NEAR(water.Vl / Vl, 1.0, 1e-7) << T;
    }
}

TEST_F(WaterSearches, StateFromTemperatureAndEntropyInvertsEntropyOfTP) {
    struct State {
        double T, Pbar;
        int selector;
    };
    for (const State& s : {State{300, 1, 2}, State{500, 100, 2}, State{700, 50, 1}}) {
        water.set_the_phase_as(s.selector);
        water.calculateFromTP(s.T, s.Pbar, 0);
        ASSERT_EQ(water.error, 0);
        const double S = water.S, V = water.V;
        water.volume(1.02 * V);
        water.calculateFromTS(s.T, S, 0);
        ASSERT_EQ(water.error, 0) << s.T;
        EXPECT_NEAR(water.V / V, 1.0, 1e-9) << s.T;
        EXPECT_NEAR(water.P, s.Pbar * 1e5, 1e-6 * s.Pbar * 1e5) << s.T;
    }
}

// (dT/dP)_S = T (dV/dT)_P / Cp along a steam isentrope.
TEST_F(WaterSearches, SteamIsentropeFollowsAdiabaticSlope) {
    CurveArray array;
    water.set_the_phase_as(1);
    water.calculateTheIsentropicCurve(800.0, 100.0, 0.0, -2.0, 700.0, 900.0, 1e5, 1e8, kCurveArray,
                                      "", &array);
    const size_t n = array.size() / 13;
    ASSERT_EQ(n, 50u);
    const double S0 = array[6];
    for (size_t i = 0; i < n; ++i) EXPECT_NEAR(array[13 * i + 6], S0, 1e-8) << i;
    for (size_t i = 1; i + 1 < n; i += 12) {
        const double* a = &array[13 * (i - 1)];
        const double* c = &array[13 * (i + 1)];
        const double slope = (c[0] - a[0]) / ((c[2] - a[2]) * 1e5);
        water.calculateFromTV(array[13 * i], array[13 * i + 1] * 1e-6, 0);
        EXPECT_NEAR(slope / (water.T * water.dVdT / water.Cp), 1.0, 2e-4) << i;
    }
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// The saturated liquid at the Salla temperature holds the mean internal energy of the
// saturated phases at 1 bar (water boils at 372.756 K there).
TEST(WaterSallaSpinodal, LiquidEnergyIsMeanOfPhasesAtOneBar) {
    WagnerPruss water(2);
    water.calculateTheSaturationPressure(372.756);
    ASSERT_NEAR(water.P, 1e5, 5.0);
    water.calculateFromTV(372.756, water.Vl, 0);
    const double U1 = water.U;
    water.calculateTheSaturationPressure(372.756);
    water.calculateFromTV(372.756, water.Vv, 0);
    const double U2 = water.U;

    const std::string out = test::stdoutOf([&] { water.calculateTheSallaSpinodalTemperature(); });
    const auto at = out.rfind("Salla spinodal temperature : ");
    ASSERT_NE(at, std::string::npos) << out;
    double Ts = 0.0;
    int err = -1;
    ASSERT_EQ(std::sscanf(out.c_str() + at, "Salla spinodal temperature : %lg err : %d", &Ts, &err),
              2);
    EXPECT_EQ(err, 0);
    water.calculateTheSaturationPressure(Ts);
    water.calculateFromTV(Ts, water.Vl, 0);
    EXPECT_NEAR(water.U, 0.5 * (U1 + U2), 1.0) << Ts;
}

}  // namespace
}  // namespace vornex

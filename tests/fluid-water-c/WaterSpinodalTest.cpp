// Spinodals of the reference water model: the liquid spinodal temperature at a volume, the
// spinodal at a pressure and at an entropy (from the water correlations' starts, as the
// water model's own spinodal searches call them), and the
// spinodal curves leaving the model's critical point, each point checked by dP/dV = 0 from
// pressure differences.
#include <gtest/gtest.h>

#include <cmath>

#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"
#include "support/ThermalSoundSpeed.h"
#include "water/WagnerPruss.h"
#include "water/WaterSaturationCorrelations.h"

namespace vornex {
namespace {

class WaterSpinodal : public ::testing::Test {
   protected:
    // -V dP/dV (Pa) at (T, V) from central pressure differences on a separate model.
    double bulkModulus(double TK, double Vm3) {
        const double h = 1e-6 * Vm3;
        probe.temperature(TK);
        probe.volume(Vm3 + h);
        const double Pplus = probe.calculate_pressure();
        probe.volume(Vm3 - h);
        const double Pminus = probe.calculate_pressure();
        return -Vm3 * (Pplus - Pminus) / (2 * h);
    }
    WagnerPruss water{2};
    WagnerPruss probe{2};
};

// Liquid water is of the order of 1e9 Pa in bulk modulus; at the spinodal it vanishes.
constexpr double kVanishingModulus = 1e3;

TEST_F(WaterSpinodal, LiquidSpinodalTemperatureAtAVolume) {
    const double V = kWaterMolarMass / 800.0;
    EXPECT_NE(test::stdoutOf([&] {
                  water.calculateSpinodalPoint1(V, water::liquidSpinodalStartTemperature(V));
              }).find("Tsp :"),
              std::string::npos);
    ASSERT_EQ(water.error, 0);
    EXPECT_GT(water.T, 400.0);
    EXPECT_LT(water.T, kWaterCriticalTemperature);
    EXPECT_LT(std::fabs(bulkModulus(water.T, V)), kVanishingModulus);
    EXPECT_GT(bulkModulus(water.T + 5.0, V), 1e6);  // stable above it
}

// At a spinodal (dP/dV)_T = 0 and the sound speed is the thermal part alone,
// w^2 = T (dP/dT)_V^2 / (rho^2 c_v), finite: IAPWS-95 gives 352 m/s (liquid) and 367 m/s
// (vapour) at 600.1 K and 234 m/s on the liquid spinodal at 647.09 K. It was NaN there.
TEST_F(WaterSpinodal, SoundSpeedOnTheSpinodalsIsTheThermalPart) {
    const struct {
        double TK, Vstart, w;
    } cases[] = {{600.1, 31e-6, 352.2}, {600.1, 160e-6, 367.0}, {647.09, 0.9 * 55.948e-6, 234.3}};
    for (const auto& c : cases) {
        water.calculateSpinodalPoint(c.TK, c.Vstart);
        ASSERT_EQ(water.error, 0) << c.TK;
        water.calculate_state_functions();
        ASSERT_TRUE(std::isfinite(water.soundSpeed)) << c.TK << " K, " << water.V;
        const double w = testing_support::thermalSoundSpeed(probe, water.T, water.V);
        EXPECT_NEAR(water.soundSpeed, w, 1e-5 * w) << c.TK << " K, " << water.V;
        EXPECT_NEAR(water.soundSpeed, c.w, 0.1) << c.TK << " K, " << water.V;
    }
}

TEST_F(WaterSpinodal, SpinodalAtAPressureAndAtAnEntropyAgree) {
    const double V = kWaterMolarMass / 850.0;
    test::stdoutOf(
        [&] { water.calculateSpinodalPoint1(V, water::liquidSpinodalStartTemperature(V)); });
    ASSERT_EQ(water.error, 0);
    const double T = water.T, P = water.P;
    water.calculate_fugacities();
    water.calculate_state_functions();
    const double S = water.S;

    const water::SearchStart fromP = water::liquidSpinodalStartFromP(P * 1e-5);
    ASSERT_EQ(water.calculateSpinodalPoint2(P * 1e-5, fromP.Vl, fromP.T), 0);
    EXPECT_NEAR(water.T / T, 1.0, 1e-6);
    EXPECT_NEAR(water.V / V, 1.0, 1e-5);
    EXPECT_NEAR(water.P / P, 1.0, 1e-6);

    const water::SearchStart fromS = water::spinodalStartFromS(S, water.Scrit);
    water.calculateSpinodalPointFixedS(S, fromS.Vl, fromS.T);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.T / T, 1.0, 1e-6);
    EXPECT_NEAR(water.V / V, 1.0, 1e-5);
    EXPECT_LT(std::fabs(bulkModulus(water.T, water.V)), kVanishingModulus);
}

TEST_F(WaterSpinodal, CurvesLeaveTheCriticalPointOnTheirSides) {
    for (char branch : {0, 1}) {
        CurveArray rows;
        test::stdoutOf([&] {
            water.calculateSpinodalCurve("unused", water.Tcrit, water.Vcrit, branch, 600.0, 6, "w",
                                         &rows);
        });
        ASSERT_GE(rows.size(), 12u * 20) << int(branch);
        // The model's critical point is the IAPWS one.
        EXPECT_NEAR(rows[0], kWaterCriticalTemperature, 1e-3);
        EXPECT_NEAR(rows[1] * 1e5 / kWaterCriticalPressure, 1.0, 1e-4);
        for (std::size_t r = 12; r < rows.size(); r += 12 * 5) {
            const double T = rows[r], V = rows[r + 2] * 1e-6;
            EXPECT_EQ(V < kWaterCriticalVolume, branch == 0);
            EXPECT_LT(std::fabs(bulkModulus(T, V)), kVanishingModulus) << T;
        }
    }
}

}  // namespace
}  // namespace vornex

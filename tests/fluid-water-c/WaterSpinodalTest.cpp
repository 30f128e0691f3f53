// Spinodals of the reference water model: the liquid spinodal temperature at a volume, the
// spinodal at a pressure (the liquid's up to the critical pressure) and at an entropy (from
// the water correlations' starts, as the water model's own spinodal searches call them), and
// the spinodal curves leaving the model's critical point, each point checked by dP/dV = 0 from
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

// The liquid spinodal at a pressure close below the critical one: IAPWS-95's liquid-branch
// dP/drho = 0 (python iapws): pressure (bar), temperature (K), molar volume (cm3/mol).
struct SpinodalAtP {
    double P, T, V;
};
constexpr SpinodalAtP kLiquidSpinodals[] = {
    {215.50, 645.292152417, 45.675881346}, {215.55, 645.309003421, 45.707744904},
    {215.60, 645.325866246, 45.739874065}, {215.65, 645.342740946, 45.772272764},
    {215.70, 645.359627574, 45.804945039}, {215.75, 645.376526184, 45.837895026},
    {215.80, 645.393436829, 45.871126972}, {215.85, 645.410359562, 45.904645237},
    {215.90, 645.427294436, 45.938454295}, {215.95, 645.444241502, 45.972558745},
    {216.00, 645.461200813, 46.006963315}, {216.05, 645.478172420, 46.041672866},
    {216.10, 645.495156375, 46.076692400}, {216.15, 645.512152729, 46.112027065},
    {216.20, 645.529161531, 46.147682165}, {216.25, 645.546182832, 46.183663165},
    {216.30, 645.563216683, 46.219975697}, {216.35, 645.580263132, 46.256625576},
    {216.40, 645.597322228, 46.293618798}, {216.45, 645.614394020, 46.330961558},
    {216.50, 645.631478557, 46.368660256}, {216.55, 645.648575887, 46.406721510},
    {216.60, 645.665686056, 46.445152162}, {216.65, 645.682809112, 46.483959298},
    {216.70, 645.699945102, 46.523150252}, {216.75, 645.717094072, 46.562732627},
    {216.80, 645.734256069, 46.602714302}, {216.85, 645.751431137, 46.643103455},
    {216.90, 645.768619323, 46.683908573}, {216.95, 645.785820671, 46.725138471},
    {217.00, 645.803035225, 46.766802312}, {217.05, 645.820263031, 46.808909625},
    {217.10, 645.837504131, 46.851470326}, {217.15, 645.854758570, 46.894494743},
    {217.20, 645.872026391, 46.937993635},
};

// Between 215.65 and 217.15 bar the search settled on the vapour spinodal beside it (216.2
// bar: 645.300 K, 70.910 cm3/mol, above the critical volume) or failed (216.70, 216.85,
// 216.90 bar).
TEST_F(WaterSpinodal, LiquidSpinodalAtAPressureIsOnTheLiquidSide) {
    for (const SpinodalAtP& s : kLiquidSpinodals) {
        ASSERT_EQ(water.calculateTheLiquidSpinodalTemperatureFromP(s.P), 0) << s.P;
        EXPECT_EQ(water.error, 0) << s.P;
        EXPECT_NEAR(water.T, s.T, 1e-5) << s.P;
        EXPECT_NEAR(water.V * 1e6, s.V, 1e-6 * s.V) << s.P;
        EXPECT_NEAR(water.P * 1e-5, s.P, 1e-7 * s.P) << s.P;
    }
    // Above the critical pressure there is none: refused, the state as it was.
    const double T = water.T, V = water.V;
    EXPECT_NE(water.calculateTheLiquidSpinodalTemperatureFromP(221.0), 0);
    EXPECT_EQ(water.error, 1);
    EXPECT_EQ(water.T, T);
    EXPECT_EQ(water.V, V);
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

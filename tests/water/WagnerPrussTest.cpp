// The reference water model: its terms and states against the check values of IAPWS-95
// (Table 6 of the release: the ideal-gas and residual parts and their derivatives; Table 7:
// single-phase states; Table 8: saturation), the instability test, the surface tension and
// the model factory. The model computes with the standard's gas constant, so the states
// agree to the 9 printed digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "support/ThermalSoundSpeed.h"
#include "support/ZeroDensityLimit.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kM = kWaterMolarMass;

// IAPWS-95, Table 7: T (K), rho (kg/m3), p (MPa), cv (kJ/(kg K)), w (m/s), s (kJ/(kg K)).
struct CheckPoint {
    double T, rho, p, cv, w, s;
};
constexpr CheckPoint kTable7[] = {
    {300, 996.5560, 0.0992418352, 4.13018112, 1501.51914, 0.393062643},
    {300, 1005.308, 20.0022515, 4.06798347, 1534.92501, 0.387405401},
    {300, 1188.202, 700.004704, 3.46135580, 2443.57992, 0.132609616},
    {500, 0.4350000, 0.0999679423, 1.50817541, 548.314253, 7.94488271},
    {500, 4.532000, 0.999938125, 1.66991025, 535.739001, 6.82502725},
    {500, 838.0250, 10.0003858, 3.22106219, 1271.28441, 2.56690919},
    {500, 1084.564, 700.000405, 3.07437693, 2412.00877, 2.03237509},
    {647, 358.0000, 22.0384756, 6.18315728, 252.145078, 4.32092307},
    {900, 0.2410000, 0.100062559, 1.75890657, 724.027147, 9.16653194},
    {900, 52.61500, 20.0000690, 1.93510526, 698.445674, 6.59070225},
    {900, 870.7690, 700.000006, 2.66422350, 2019.33608, 4.17223802},
};

class WagnerPrussTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};
};

TEST_F(WagnerPrussTest, StatesMatchTable7) {
    for (const CheckPoint& c : kTable7) {
        water.calculateFromTV(c.T, kM / c.rho, 0);
        ASSERT_EQ(water.error, 0) << c.T << " K " << c.rho;
        const double perMass = 1000 * kM;  // kJ/(kg K) to J/(mol K)
        EXPECT_NEAR(water.P, c.p * 1e6, 1e-8 * c.p * 1e6) << c.T << " K " << c.rho;
        EXPECT_NEAR(water.Cv, c.cv * perMass, 1e-8 * c.cv * perMass) << c.T << " K " << c.rho;
        EXPECT_NEAR(water.soundSpeed, c.w, 1e-8 * c.w) << c.T << " K " << c.rho;
        EXPECT_NEAR(water.S, c.s * perMass, 1e-8 * c.s * perMass) << c.T << " K " << c.rho;
    }
}

TEST_F(WagnerPrussTest, PressureThenVolumeRoundTrip) {
    for (const CheckPoint& c : kTable7) {
        if (c.T == 647) continue;  // 2 kg/m3 per 0.01 bar there: not a test of the solve
        water.set_the_phase_as(c.rho > 322 ? 2 : 1);
        water.calculateFromTP(c.T, c.p * 10, 0);
        ASSERT_EQ(water.error, 0) << c.T << " K " << c.p << " MPa";
        EXPECT_NEAR(kM / water.V, c.rho, 1e-8 * c.rho) << c.T << " K " << c.p << " MPa";
    }
}

// The pressure at (T, V) reads only the first volume derivative of each term: the same
// digits as the order-2 evaluation of a volume solve gives, across the table's states, and
// no second derivative of a former state left behind in the terms.
TEST_F(WagnerPrussTest, PressureFromFirstDerivativeKeepsEveryDigit) {
    for (const CheckPoint& c : kTable7) {
        const double V = kM / c.rho;
        water.temperature(c.T);
        water.volume(V);
        water.calculate_fixed_parameters();
        double Z = 0.0;
        for (Interaction* term : {water.interaction[0], water.ideal}) {
            term->T = c.T;
            term->V = V;
            term->calculate_Z();
            Z += term->Z;
        }
        const double order2 = water.gasConstant * Z * c.T / V;
        EXPECT_EQ(water.FluidPhase::calculate_pressure(), order2) << c.T << " K " << c.rho;
        EXPECT_EQ(water.error, 0);
        EXPECT_TRUE(std::isnan(water.interaction[0]->d2aVV)) << c.T << " K " << c.rho;
        EXPECT_NEAR(water.P, c.p * 1e6, 1e-8 * c.p * 1e6) << c.T << " K " << c.rho;
    }
}

// The model's own pressure (the residual's delta derivative written out) against the
// graph's: the same to rounding over liquid, vapour, supercritical and near-critical
// states, down to the co-volume side and through the band around the critical density
// where the graph is used; the table's pressures; a failed state before leaves no flag.
TEST_F(WagnerPrussTest, WrittenOutPressureIsTheGraphs) {
    double worst = 0.0;
    for (double T = 250.0; T <= 1300.0; T += 13.7)
        for (double rho = 1e-3; rho <= 1250.0; rho *= 1.09) {
            water.temperature(T);
            water.volume(kM / rho);
            const double graph = water.FluidPhase::calculate_pressure();
            const double own = water.calculate_pressure();
            ASSERT_EQ(water.error, 0) << T << " K " << rho;
            ASSERT_EQ(water.P, own);
            // P = rho R T (1 + delta phi_d): the graph's rounding of phi_d is what is left,
            // weighed by the ideal-gas pressure.
            const double scale = std::fabs(graph) + rho / kM * water.gasConstant * T;
            worst = std::max(worst, std::fabs(own - graph) / scale);
        }
    EXPECT_LT(worst, 1e-12);
    for (double rho : {321.9, 322.0, 322.2}) {
        water.temperature(647.1);
        water.volume(kM / rho);
        EXPECT_EQ(water.calculate_pressure(), water.FluidPhase::calculate_pressure()) << rho;
    }
    for (const CheckPoint& c : kTable7) {
        water.temperature(c.T);
        water.volume(kM / c.rho);
        EXPECT_NEAR(water.calculate_pressure(), c.p * 1e6, 1e-8 * c.p * 1e6) << c.T << " K";
    }
    water.calculateFromTP(-5.0, 1.0, 0);
    ASSERT_NE(water.error, 0);
    water.temperature(500.0);
    water.volume(kM / 838.025);
    water.calculate_pressure();
    EXPECT_EQ(water.error, 0);
}

// Identities of the model's state functions: G = H - TS, Cp = (dH/dT)_P and
// Cp - Cv = T (dP/dT)_V^2 / (-(dP/dV)_T), across liquid, vapour and supercritical states.
TEST_F(WagnerPrussTest, StateFunctionIdentities) {
    for (const CheckPoint& c : kTable7) {
        water.calculateFromTV(c.T, kM / c.rho, 0);
        EXPECT_NEAR(water.G, water.H - c.T * water.S, 1e-9 * std::fabs(water.H) + 1e-6);
        EXPECT_NEAR(water.Cp - water.Cv, c.T * water.dPdT * water.dPdT / -water.dPdV,
                    1e-8 * water.Cp);
        const double Cp = water.Cp, P = water.P, h = 1e-5;
        water.set_the_phase_as(5);
        water.Vv0 = water.V;
        water.calculateFromTP(c.T + h, P * 1e-5, 0);
        const double Hplus = water.H;
        water.calculateFromTP(c.T - h, P * 1e-5, 0);
        EXPECT_NEAR((Hplus - water.H) / (2 * h), Cp, 1e-5 * Cp) << c.T << " K " << c.rho;
    }
}

// ------------------------------------------------------------------ instability

TEST_F(WagnerPrussTest, InstabilityBetweenTheSpinodals) {
    EXPECT_EQ(water.isInstable(500.0, 1e-4), 1);
    EXPECT_EQ(water.isInstable(500.0, 2e-5), 0);
    EXPECT_EQ(water.isInstable(500.0, 1e-2), 0);
    for (double V : {2e-5, 6e-5, 1e-4, 1e-3}) EXPECT_EQ(water.isInstable(650.0, V), 0);
    for (double V : {1e-5, 1e-3}) EXPECT_EQ(water.isInstable(229.9, V), 1);
}

// The old rounded spinodal fits left the range 633.6 to 646.6 K without an unstable
// volume and called 100 cm3/mol unstable between 647.1 and 647.13 K, above Tc. The model
// itself has a pocket with dP/dV < 0 around the critical density inside the unstable
// range; it is reported unstable too.
TEST_F(WagnerPrussTest, InstabilityFollowsTheModelUpToTheCriticalPoint) {
    for (double T : {230.0, 300.0, 500.0, 634.0, 640.0, 646.0, 646.9, 647.09}) {
        EXPECT_EQ(water.isInstable(T, kWaterCriticalVolume), 1) << T;
        double Vl = 0, Vv = 0;
        ASSERT_TRUE(water.spinodalVolumes(T, Vl, Vv)) << T;
        // The spinodals are where the model's dP/dV changes sign.
        for (auto [V, unstable] : {std::pair{Vl * (1 - 1e-6), false},
                                   {Vl * (1 + 1e-6), true},
                                   {Vv * (1 - 1e-6), true},
                                   {Vv * (1 + 1e-6), false}}) {
            water.calculateFromTV(T, V, 0);
            EXPECT_EQ(water.dPdV > 0, unstable) << T << " K " << V;
            EXPECT_EQ(water.isInstable(T, V), unstable ? 1 : 0) << T << " K " << V;
        }
    }
    for (double T : {647.096, 647.1, 647.12})
        for (double V : {5.6e-5, 1e-4}) EXPECT_EQ(water.isInstable(T, V), 0) << T;
}

TEST_F(WagnerPrussTest, InstabilityTestLeavesTheStateAlone) {
    water.calculateFromTV(500.0, kM / 838.025, 0);
    const double P = water.P, S = water.S;
    EXPECT_EQ(water.isInstable(600.0, 1e-4), 1);
    EXPECT_EQ(water.T, 500.0);
    EXPECT_EQ(water.P, P);
    water.calculate_state_functions();
    EXPECT_EQ(water.S, S);
}

// ------------------------------------------------------------------ correlations

// The old surface-tension formula gave 0.116 N/m at 25 degC; IAPWS R1-76 gives 71.97 mN/m.
TEST_F(WagnerPrussTest, FailedSolveLeavesNoFlagForTheNextCall) {
    // A spinodal search that failed left the residual's flag raised, and every later solve
    // on the model failed at its first evaluation; a failed (T, P) state left the phase flag
    // on the fugacities along a volume. Each call after the failure against a fresh model.
    WagnerPruss fresh{2};
    fresh.calculateMechanicalSpinodalPoint(600.0, 3e-5);
    ASSERT_EQ(fresh.error, 0);
    EXPECT_NEAR(fresh.V, 3.1219077e-5, 1e-12);
    ::testing::internal::CaptureStderr();
    water.calculateMechanicalSpinodalPoint(800.0, 1e-4);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(water.error, 1);
    EXPECT_EQ(water.equationError, 0);
    water.calculateMechanicalSpinodalPoint(600.0, 3e-5);
    EXPECT_EQ(water.error, 0);
    EXPECT_DOUBLE_EQ(water.V, fresh.V);

    ::testing::internal::CaptureStderr();
    water.calculateMechanicalSpinodalPoint(800.0, 1e-4);
    ::testing::internal::GetCapturedStderr();
    water.calculateFromVP(3e-5, 200.0, 0);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(water.T, 623.1803453, 1e-6);

    fresh.temperature(600.0);
    fresh.volume(3e-5);
    fresh.calculateFugacityAlongVolume();
    ASSERT_EQ(fresh.error, 0);
    ::testing::internal::CaptureStderr();
    water.calculateFromTP(-5.0, 1.0, 0);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(water.error, 1);
    water.temperature(600.0);
    water.volume(3e-5);
    water.calculateFugacityAlongVolume();
    EXPECT_EQ(water.error, 0);
    EXPECT_DOUBLE_EQ(water.fugacity[0], fresh.fugacity[0]);
}

TEST_F(WagnerPrussTest, CriticalStateHasNoIsobaricHeatCapacity) {
    // At the critical point (dP/dV)_T is zero to rounding, and the heat capacity at constant
    // pressure came out as -8.9e17 J/(kg K) (as a (T, P) state, +2.5e12): none, nor a
    // Joule-Thomson coefficient, and the state is named critical, not liquid. Cv diverges
    // there and the sound speed goes to zero: they once came out as 8000 J/(mol K) and
    // 31.69 m/s from the critical search, 9053 and 29.78 as a (T, P) state, 3.1e6 and 1.60
    // at the rounded critical volume, and are none. A spinodal a millikelvin below keeps
    // both, the sound speed the thermal part's, T (dP/dT)^2 / (rho^2 cv). A kelvin above,
    // the isobaric heat capacity is there again and exceeds cv.
    water.temperature(647.1);
    water.volume(kM / 322.0);
    water.search_the_critical_point_of_the_pure_component();
    ASSERT_EQ(water.error, 0);
    water.calculate_state_functions();
    EXPECT_EQ(water.error, 0);
    EXPECT_TRUE(water.isothermalSlopeVanishes());
    EXPECT_TRUE(water.atCriticalPoint());
    EXPECT_TRUE(std::isnan(water.Cp) && std::isnan(water.jouleThomson));
    EXPECT_TRUE(std::isnan(water.Cv) && std::isnan(water.soundSpeed));
    EXPECT_EQ(water.calculateStableStateFromTP(647.096, 220.64), FluidPhase::StablePhase::Critical);
    EXPECT_TRUE(std::isnan(water.Cp) && std::isnan(water.Cv) && std::isnan(water.soundSpeed));
    water.calculateFromTV(647.096, 55.948e-6, 0);
    EXPECT_TRUE(std::isnan(water.Cv) && std::isnan(water.soundSpeed));
    for (double side : {50e-6, 62e-6}) {
        water.calculateSpinodalPoint(647.095, side);
        ASSERT_EQ(water.error, 0) << side;
        water.calculate_state_functions();
        EXPECT_TRUE(water.isothermalSlopeVanishes()) << side;
        EXPECT_FALSE(water.atCriticalPoint()) << side;
        EXPECT_TRUE(std::isfinite(water.Cv) && water.Cv > 0.0) << side;
        WagnerPruss probe(2);
        const double w = testing_support::thermalSoundSpeed(probe, water.T, water.V);
        EXPECT_NEAR(water.soundSpeed, w, 1e-5 * w) << side;
    }
    EXPECT_EQ(water.calculateStableStateFromTP(647.096, 230.0), FluidPhase::StablePhase::Fluid);
    water.calculateFromTV(648.096, kM / 322.0, 0);
    ASSERT_EQ(water.error, 0);
    EXPECT_FALSE(water.isothermalSlopeVanishes());
    EXPECT_GT(water.Cp, water.Cv);
    EXPECT_TRUE(std::isfinite(water.Cp) && std::isfinite(water.soundSpeed));
}

// The critical row that begins a saturation curve has no cv or sound speed, as it has no cp
// (it held the 8000 J/(mol K) and 31.69 m/s of the critical search); the rows below it have
// all three.
TEST_F(WagnerPrussTest, SaturationCurvesCriticalRowHasNoCvOrSoundSpeed) {
    constexpr size_t kColumns = 28, kCpl = 14, kCvl = 16, kCl = 22;
    std::vector<double> rows;
    water.temperature(water.Tcrit);
    water.volume(water.Vcrit);
    water.calculate_saturation_curve("", 2, water.Tcrit, -1.0, water.Vcrit, water.Vcrit, 640.0, 6,
                                     "", &rows);
    ASSERT_GE(rows.size(), 3u * kColumns);
    EXPECT_NEAR(rows[3], 647.096, 1e-6);
    for (size_t c : {kCpl, kCpl + 1, kCvl, kCvl + 1, kCl, kCl + 1}) {
        EXPECT_TRUE(std::isnan(rows[c])) << c;
        EXPECT_TRUE(std::isfinite(rows[kColumns + c]) && rows[kColumns + c] > 0.0) << c;
    }
}

// At vanishing pressure the Joule-Thomson coefficient goes to (T dB/dT - B)/cp0; it lost its
// digits there (at 300 K: 22.2467 K/bar at 1e-12 bar, 9371 at 1e-18, 1.2e36 at 1e-50, and
// once more where the terms' second volume derivatives fall below the normal doubles: 4e62
// at 1e-107 bar, with cp 47.7 for 33.6 J/(mol K) at 1e-108 bar). B and dB/dT from the
// zero-density extrapolations of (Z - 1) V and V (dZ/dT)_V. Down from 2e-4 bar the
// coefficient approaches the limit smoothly: no kink where the dilute form takes over.
TEST_F(WagnerPrussTest, JouleThomsonCoefficientKeepsItsZeroDensityLimit) {
    const double TK = 300.0;
    const testing_support::ZeroDensityLimit zero = testing_support::zeroDensityLimit(water, TK);
    ASSERT_EQ(water.error, 0);
    const double limit = zero.jouleThomson * 1e5;  // K/bar
    EXPECT_NEAR(limit, 22.2293, 1e-4);
    for (double Pbar : {1e-12, 1e-15, 1e-18, 1e-30, 1e-50, 1e-80, 1e-100}) {
        water.calculateFromTP(TK, Pbar, 0);
        ASSERT_EQ(water.error, 0) << Pbar;
        EXPECT_NEAR(water.jouleThomson * 1e5, limit, 1e-7 * limit) << Pbar << " bar";
    }
    EXPECT_EQ(testing_support::expectZeroDensityLimit(water, TK, zero,
                                                      {1e-106, 3e-107, 1e-107, 1e-108, 5e-109}),
              0);
    // Each coefficient against the line through its neighbours at 1.1 times and 1/1.1 of its
    // pressure, from 2e-4 to 1e-8 bar: what the line misses is the third virial coefficient's
    // bend, shrinking with P^2 (1.21 times a step), with no kink where the dilute form takes
    // over, near 7e-5 bar.
    std::vector<double> mu;
    for (double Pbar = 2e-4; Pbar > 1e-8; Pbar /= 1.1) {
        water.calculateFromTP(TK, Pbar, 0);
        mu.push_back(water.jouleThomson * 1e5);
    }
    for (size_t i = 2; i + 1 < mu.size(); ++i) {
        const double bend = mu[i] - mu[i + 1] - (mu[i - 1] - mu[i + 1]) / 2.1;
        const double lastBend = mu[i - 1] - mu[i] - (mu[i - 2] - mu[i]) / 2.1;
        EXPECT_NEAR(bend, lastBend / 1.21, 0.05 * std::fabs(lastBend) + 1e-10 * limit) << i;
    }
}

TEST_F(WagnerPrussTest, SurfaceTensionIsTheInternationalEquation) {
    water.temperature(298.15);
    EXPECT_NEAR(water.calculateSigma(0, 0), 0.07197, 5e-6);
    EXPECT_NEAR(water.sigma, 0.07197, 5e-6);
    water.temperature(373.15);
    EXPECT_NEAR(water.calculateSigma(0, 0), 0.05891, 5e-6);
    water.temperature(647.0);
    EXPECT_GT(water.calculateSigma(0, 0), 0.0);
    EXPECT_LT(water.sigma, 1e-5);
    water.temperature(700.0);
    EXPECT_EQ(water.calculateSigma(0, 0), 0.0);
}

TEST_F(WagnerPrussTest, LiquidConductivityFit) {
    EXPECT_NEAR(WagnerPruss::calculateWaterConductivity(298.15), 0.61, 0.01);
    EXPECT_NEAR(WagnerPruss::calculateWaterConductivity(373.15), 0.68, 0.01);
}

// ------------------------------------------------------------------ factory

// Below the triple point the compressed liquid's isotherm ends, towards higher density, in a
// loop beyond which the equation rises again through ordinary pressures near 5 cm3/mol: the
// stable state at 230-234 K from 1 to 10,000 bar, and up to 248 K above 6,000 bar, had been
// that stretch (3,400-3,600 kg/m3), and at 231 K and 1e-4 bar it had been taken over the
// vapour. Densities: IAPWS-95 as evaluated by python3-iapws.
TEST_F(WagnerPrussTest, StableStateBelowTheTriplePointIsNoStretchDenserThanTheLiquid) {
    struct Case {
        double T, Pbar, rho;
        FluidPhase::StablePhase phase;
    };
    for (const Case& c : {Case{231.0, 1000.0, 1040.8153082474375, FluidPhase::StablePhase::Liquid},
                          Case{240.0, 8000.0, 1236.35278018035, FluidPhase::StablePhase::Liquid},
                          Case{245.0, 10000.0, 1268.431385246791, FluidPhase::StablePhase::Liquid},
                          Case{231.0, 1e-4, 9.380231487882016e-05, FluidPhase::StablePhase::Vapour}}) {
        SCOPED_TRACE(testing::Message() << c.T << " K, " << c.Pbar << " bar");
        EXPECT_EQ(water.calculateStableStateFromTP(c.T, c.Pbar), c.phase);
        EXPECT_EQ(water.error, 0);
        EXPECT_NEAR(water.rho, c.rho, 1e-7 * c.rho);
    }
    // The stretch's own volumes are no states of the model.
    EXPECT_EQ(water.isInstable(231.0, 5e-6), 1);
    EXPECT_EQ(water.isInstable(231.0, 1.8e-5), 0);
    EXPECT_EQ(water.isInstable(300.0, 5e-6), 0);
}

TEST(WaterFactoryTest, WagnerKeywordBuildsTheLiquidSideModel) {
    registerWaterModels();
    std::unique_ptr<FluidPhase> model(FluidPhase::getEOS("wagner"));
    ASSERT_NE(model, nullptr);
    EXPECT_NE(dynamic_cast<WagnerPruss*>(model.get()), nullptr);
    EXPECT_EQ(model->phase, 2);
}

}  // namespace
}  // namespace vornex

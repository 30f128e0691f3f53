// Saturation of the reference water model against IAPWS-95 Table 8, its critical point,
// and the saturation table "satu0" that the build traces for the workbench.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <vector>

#include "numerics/DataPath.h"
#include "water/Table8.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kM = kWaterMolarMass;

using testing::kTable8;
using testing::SaturationCheck;

TEST(WaterSaturationTest, SaturationMatchesTable8) {
    WagnerPruss water(2);
    for (const SaturationCheck& s : kTable8) {
        water.calculateTheSaturationPressure(s.T);
        ASSERT_EQ(water.error, 0) << s.T;
        EXPECT_NEAR(water.P, s.p * 1e6, 1e-8 * s.p * 1e6) << s.T;
        EXPECT_NEAR(kM / water.Vl, s.rhoL, 1e-8 * s.rhoL) << s.T;
        EXPECT_NEAR(kM / water.Vv, s.rhoV, 1e-8 * s.rhoV) << s.T;
        // Both phases at the saturation pressure with equal Gibbs energies.
        EXPECT_NEAR(water.Pl, water.Pv, 1e-7 * water.P) << s.T;
        const double Vl = water.Vl, Vv = water.Vv;
        const double perMass = 1e-3 / kM;  // J/mol to kJ/kg
        water.calculateFromTV(s.T, Vl, 0);
        const double Gl = water.G;
        // The enthalpy and entropy of the liquid at 275 K are small differences: 1e-8 of
        // the vapour's values there.
        EXPECT_NEAR(water.H * perMass, s.hL, 1e-8 * s.hV) << s.T;
        EXPECT_NEAR(water.S * perMass, s.sL, 1e-8 * s.sV) << s.T;
        water.calculateFromTV(s.T, Vv, 0);
        EXPECT_NEAR(water.H * perMass, s.hV, 1e-8 * s.hV) << s.T;
        EXPECT_NEAR(water.S * perMass, s.sV, 1e-8 * s.sV) << s.T;
        EXPECT_NEAR(water.G, Gl, 1e-8 * std::fabs(Gl)) << s.T;
    }
}

// The critical point of IAPWS-95 is 647.096 K, 322 kg/m3, 22.064 MPa by construction.
TEST(WaterSaturationTest, CriticalPointOfTheModel) {
    WagnerPruss water(2);
    water.temperature(water.Tcrit);
    water.volume(water.Vcrit);
    water.search_the_critical_point_of_the_pure_component();
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.T, 647.096, 1e-3);
    EXPECT_NEAR(kM / water.V, 322.0, 0.5);
    EXPECT_NEAR(water.P, 22.064e6, 1e-4 * 22.064e6);
}

// Saturation up to a few mK below the critical point: the solve used to give up from
// 647.07 K on. Pressures of the reference equation's own saturation (220.624 bar at
// 647.09 K), equal Gibbs energies and pressures of the two phases.
TEST(WaterSaturationTest, SaturationSolveReachesTheCriticalPoint) {
    WagnerPruss water(2);
    // T (K), saturation pressure (bar).
    constexpr double kNearCritical[][2] = {
        {647.0, 220.384}, {647.07, 220.5706}, {647.09, 220.624}, {647.095, 220.6373},
        {647.0959, 220.6397}};
    for (const auto& [T, Pbar] : kNearCritical) {
        const double Psat = water.calculateTheSaturationPressure(T);
        ASSERT_EQ(water.error, 0) << T;
        EXPECT_NEAR(Psat * 1e-5, Pbar, 1e-3) << T;
        EXPECT_NEAR(Psat / WaterEOS::saturationPressureWagnerPruss(T), 1.0, 1e-5) << T;
        const double Vl = water.Vl, Vv = water.Vv;
        EXPECT_LT(Vl, kWaterCriticalVolume) << T;
        EXPECT_GT(Vv, kWaterCriticalVolume) << T;
        water.calculateFromTV(T, Vl, 0);
        const double Gl = water.G, Pl = water.P;
        water.calculateFromTV(T, Vv, 0);
        EXPECT_NEAR((water.G - Gl) / (kGasConstant * T), 0.0, 1e-9) << T;
        EXPECT_NEAR(water.P / Pl, 1.0, 1e-9) << T;
    }
    // At the critical temperature itself there are no two phases.
    water.calculateTheSaturationPressure(647.096);
    EXPECT_NE(water.error, 0);
}

// ------------------------------------------------------------------ satu0

std::vector<std::array<double, 28>> readSatu0() {
    std::vector<std::array<double, 28>> rows;
    std::ifstream in(findDataFile("satu0"), std::ios::binary);
    std::array<double, 28> row;
    while (in.read(reinterpret_cast<char*>(row.data()), sizeof row)) rows.push_back(row);
    return rows;
}

// Columns: 0 P (bar), 1 Vl, 2 Vv (cm3/mol), 3 T (K), 24 sigma, 25 rhol, 26 rhov (kg/m3).
double interpolate(const std::vector<std::array<double, 28>>& rows, double T, int column,
                   bool logarithmic) {
    for (size_t i = 1; i + 1 < rows.size(); ++i) {
        if (!(rows[i][3] >= T && rows[i + 1][3] <= T)) continue;
        // Three-point Lagrange through rows i - 1, i, i + 1 (or i, i + 1, i + 2).
        const size_t a = i + 2 < rows.size() ? i : i - 1;
        double sum = 0;
        for (size_t j = a; j < a + 3; ++j) {
            double w = 1;
            for (size_t k = a; k < a + 3; ++k)
                if (k != j) w *= (T - rows[k][3]) / (rows[j][3] - rows[k][3]);
            sum += w * (logarithmic ? std::log(rows[j][column]) : rows[j][column]);
        }
        return logarithmic ? std::exp(sum) : sum;
    }
    return NAN;
}

TEST(Satu0Test, BuiltTableStartsAtTheCriticalPointAndFollowsTable8) {
    const auto rows = readSatu0();
    ASSERT_GT(rows.size(), 300u) << "satu0 at " << findDataFile("satu0");
    const auto& critical = rows.front();
    EXPECT_NEAR(critical[3], 647.096, 1e-3);
    EXPECT_NEAR(critical[0], 220.64, 0.03);
    EXPECT_EQ(critical[1], critical[2]);
    EXPECT_EQ(critical[25], critical[26]);
    EXPECT_EQ(critical[24], 0.0);  // no surface tension at the critical point
    // Just below it the reference surface tension, 0.2358 t^1.256 (1 - 0.625 t) N/m.
    const double t = 1.0 - rows[1][3] / 647.096;
    EXPECT_NEAR(rows[1][24], 0.2358 * std::pow(t, 1.256) * (1 - 0.625 * t), 1e-12);
    for (size_t i = 1; i < rows.size(); ++i) {
        ASSERT_LT(rows[i][3], rows[i - 1][3]);
        ASSERT_LT(rows[i][1], rows[i][2]);
    }
    EXPECT_LT(rows.back()[3], 240.0);
    for (const SaturationCheck& s : kTable8) {
        EXPECT_NEAR(interpolate(rows, s.T, 0, true), s.p * 10, 2e-5 * s.p * 10) << s.T;
        EXPECT_NEAR(interpolate(rows, s.T, 25, false), s.rhoL, 2e-5 * s.rhoL) << s.T;
        EXPECT_NEAR(interpolate(rows, s.T, 26, true), s.rhoV, 2e-5 * s.rhoV) << s.T;
    }
}

// Regression: after a failed saturation call the model kept the volumes of an earlier one (at
// 663.6 K a new model had Vl = 0, one that had found the saturation at 600 K first 2.07e-5).
// Every saturation call of the water model that fails leaves what a new model leaves.
TEST(WaterSaturationTest, FailedSaturationKeepsNothingOfAnEarlierCall) {
    struct Failing {
        const char* name;
        void (*call)(WagnerPruss&);
    };
    const Failing calls[] = {
        {"calculateTheSaturationPressure",
         [](WagnerPruss& w) { w.calculateTheSaturationPressure(663.6); }},
        {"calculate_saturation_pressure",
         [](WagnerPruss& w) {
             w.temperature(663.6);
             w.Vl0 = 4e-5;
             w.Vv0 = 9e-5;
             w.calculate_saturation_pressure();
         }},
        {"calculateTheSaturationTemperature",
         [](WagnerPruss& w) { w.calculateTheSaturationTemperature(300.0, 0); }},
        {"calculateBoilingPointFromS", [](WagnerPruss& w) { w.calculateBoilingPointFromS(500.0); }},
        {"calculateCondensationPointFromS",
         [](WagnerPruss& w) { w.calculateCondensationPointFromS(-500.0); }},
        {"calculateTheDensityFromTh", [](WagnerPruss& w) { w.calculateTheDensityFromTh(700.0); }},
        {"calculateTheLiquidTh", [](WagnerPruss& w) { w.calculateTheLiquidTh(-1.0); }},
        {"calculateTheGasTh", [](WagnerPruss& w) { w.calculateTheGasTh(-1.0); }},
    };
    for (const Failing& f : calls) {
        WagnerPruss fresh(2), reused(2);
        ASSERT_TRUE(std::isfinite(reused.calculateTheSaturationPressure(600.0)));
        ASSERT_GT(reused.Vl, 0.0);
        f.call(fresh);
        f.call(reused);
        EXPECT_NE(fresh.error, 0) << f.name;
        EXPECT_NE(reused.error, 0) << f.name;
        EXPECT_EQ(reused.Vl, fresh.Vl) << f.name;
        EXPECT_EQ(reused.Vv, fresh.Vv) << f.name;
        EXPECT_EQ(reused.Hvap, fresh.Hvap) << f.name;
        EXPECT_EQ(reused.Vl, 0.0) << f.name;
    }
}

}  // namespace
}  // namespace vornex

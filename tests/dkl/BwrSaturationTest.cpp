// The BWR fluid in its reduced variables saturates: its vapour pressure against the
// Lee-Kessler vapour-pressure correlation of the same fluids (within 1.2 % from Tr 0.7 on; the
// reference fluid 4 % above it at Tr 0.6).
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "dkl/BWR.h"
#include "fluid/CurveOutput.h"
#include "support/SpinodalFirstLoss.h"

namespace vornex {
namespace {

// Lee and Kessler (1975), eq. 18: ln Pr = f0(Tr) + omega f1(Tr).
double leeKesslerVapourPressure(double Tr, double omega) {
    const double f0 = 5.92714 - 6.09648 / Tr - 1.28862 * std::log(Tr) + 0.169347 * std::pow(Tr, 6);
    const double f1 = 15.2518 - 15.6875 / Tr - 13.4721 * std::log(Tr) + 0.43577 * std::pow(Tr, 6);
    return std::exp(f0 + omega * f1);
}

// Regression: the saturation of BWREOS never converged (its starts were volumes in m3/mol,
// its variables reduced ones). Its pressure is R T Z/V in those variables, R times Pr.
TEST(BwrSaturation, ReducedVapourPressureOfTheLeeKesslerFluids) {
    for (const auto& [name, omega] : {std::pair{"C1", 0.0}, std::pair{"C8", 0.3978}}) {
        BWREOS fluid(1);
        fluid.number_of_components(1);
        fluid.add_component(name);
        for (double Tr : {0.6, 0.7, 0.8, 0.9, 0.95}) {
            const double P = fluid.calculateTheSaturationPressure(Tr);
            ASSERT_EQ(fluid.error, 0) << name << " Tr " << Tr;
            const double expected = leeKesslerVapourPressure(Tr, omega);
            EXPECT_NEAR(P / 8.31434, expected, 0.05 * expected) << name << " Tr " << Tr;
            EXPECT_LT(fluid.Vl, fluid.Vv);
        }
    }
}

// Regression: from Tr 0.99 on the saturation failed (the critical search that bounds it and
// starts it from the isotherm ran only above 50 in the fluid's temperature unit). Up to the
// equation's own critical point the pair has equal pressures and fugacities and the
// reduced pressure of the equation solved to 30 digits (mpmath, the same twelve constants).
TEST(BwrSaturation, ConvergesUpToTheEquationsCriticalPoint) {
    const struct {
        const char* name;
        double Tc, Vc;
        double Tr[4], Pr[4];
    } fluids[] = {
        {"C1", 0.999999715737097, 0.290500858910484, {0.97, 0.99, 0.995, 0.999},
         {0.834122516988195, 0.941401664188139, 0.970225874601587, 0.993967240661950}},
        {"C8", 0.999999924499019, 0.255998864345602, {0.97, 0.99, 0.995, 0.999},
         {0.781886613164016, 0.920188630532201, 0.958825902804195, 0.991480513591417}},
    };
    for (const auto& f : fluids) {
        SCOPED_TRACE(f.name);
        BWREOS fluid(1);
        fluid.number_of_components(1);
        fluid.add_component(f.name);
        double Tc = 0.0, Vc = 0.0;
        ASSERT_TRUE(fluid.closedFormCriticalPoint(Tc, Vc));
        EXPECT_NEAR(Tc, f.Tc, 1e-10);
        EXPECT_NEAR(Vc, f.Vc, 1e-8);
        auto saturate = [&](double Tr) {
            SCOPED_TRACE(Tr);
            const double P = fluid.calculateTheSaturationPressure(Tr);
            EXPECT_EQ(fluid.error, 0);
            EXPECT_LT(fluid.Vl, Vc);
            EXPECT_GT(fluid.Vv, Vc);
            double lnf[2] = {0.0, 0.0}, Pof[2] = {0.0, 0.0};
            for (int k = 0; k < 2; ++k) {
                fluid.volume(k == 0 ? fluid.Vl : fluid.Vv);
                fluid.calculateFugacityAlongVolume();
                lnf[k] = std::log(fluid.fugacity[0]);
                Pof[k] = fluid.P;
            }
            EXPECT_NEAR(Pof[0], Pof[1], 1e-10 * P);
            EXPECT_NEAR(lnf[0], lnf[1], 1e-10);
            return P / 8.31434;
        };
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(saturate(f.Tr[k]), f.Pr[k], 1e-9);
        // Within a millionth of the critical temperature still two phases, and none above.
        saturate(Tc * (1.0 - 1e-6));
        fluid.calculateTheSaturationPressure(1.0);
        EXPECT_EQ(fluid.error, 1);
    }
}

// Regression: the saturation curve of a BWR fluid said "Cannot find the critical point" and
// returned with no flag and no row: its critical point was searched as a substance's, from
// 0.1 below it and down to 80, in a reduced temperature of 1. It runs from the equation's own
// critical point down to Tr 0.3, each row a pair of equal pressure and fugacity.
TEST(BwrSaturation, CurveFromTheEquationsCriticalPointDown) {
    for (const char* name : {"C1", "C8"}) {
        SCOPED_TRACE(name);
        BWREOS fluid(1);
        fluid.number_of_components(1);
        fluid.add_component(name);
        double Tc = 0.0, Vc = 0.0;
        ASSERT_TRUE(fluid.closedFormCriticalPoint(Tc, Vc));
        CurveArray rows;
        fluid.calculate_saturation_curve("unused", 2, fluid.Tcrit, -1.0, fluid.Vcrit, fluid.Vcrit,
                                         fluid.Tlowest, kCurveArray, "s", &rows);
        EXPECT_EQ(fluid.error, 0);
        constexpr std::size_t kWidth = 28;  // P, Vl, Vv, T, ...
        const std::size_t count = rows.size() / kWidth;
        ASSERT_GT(count, 10u);
        EXPECT_NEAR(rows[3], Tc, 1e-12);
        EXPECT_LT(rows[kWidth * (count - 1) + 3], 0.31);
        BWREOS check(1);
        check.number_of_components(1);
        check.add_component(name);
        for (std::size_t r = 1; r < count; ++r) {
            const double* row = &rows[kWidth * r];
            double lnf[2], P[2];
            for (int k = 0; k < 2; ++k) {
                check.calculateFromTV(row[3], row[1 + k] * 1e-6, 0);
                lnf[k] = check.lnFugacity[0];
                P[k] = check.P;
            }
            EXPECT_NEAR(P[0], P[1], 1e-6 * P[1] + 1e-11) << row[3];
            EXPECT_NEAR(lnf[0], lnf[1], 1e-8) << row[3];
        }
    }
}

// Regression: the spinodal curves stepped half a unit of temperature, in a reduced
// temperature of 1: two rows, Tr 1 and 0.5. Each row is the first loss of stability of its
// isotherm, down to Tr 0.5.
TEST(BwrSaturation, SpinodalCurvesInTheReducedTemperature) {
    for (char branch : {0, 1}) {
        BWREOS fluid(1);
        fluid.number_of_components(1);
        fluid.add_component("C1");
        fluid.namingCriticalTemperature();
        const auto s = testing_support::traceSpinodalCurve(fluid, branch, 0.5);
        ASSERT_EQ(s.error, 0);
        ASSERT_GT(s.count(), 400u);
        EXPECT_LT(s.T(s.count() - 1), 0.51);
        testing_support::expectRowsAreFirstLossOfStability(fluid, s, branch == 0, 47);
    }
}

}  // namespace
}  // namespace vornex

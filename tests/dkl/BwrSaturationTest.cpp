// The BWR fluid in its reduced variables saturates: its vapour pressure against the
// Lee-Kessler vapour-pressure correlation of the same fluids (within 1.2 % from Tr 0.7 on; the
// reference fluid 4 % above it at Tr 0.6).
#include <gtest/gtest.h>

#include <cmath>

#include "dkl/BWR.h"

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

}  // namespace
}  // namespace vornex

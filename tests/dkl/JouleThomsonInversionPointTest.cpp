// Joule-Thomson inversion points of the Duan fluid: the state found satisfies
// T (dP/dT)_V + V (dP/dV)_T = 0 (mu_JT = 0) by finite differences of the pressure, or the
// search fails with the flag raised; never a state deep inside the repulsive wall.
#include <gtest/gtest.h>

#include <cmath>

#include "dkl/DuanModels.h"

namespace vornex {
namespace {

double pressureAt(FluidPhase& f, double TK, double Vm3) {
    f.calculateFromTV(TK, Vm3, 0);
    return f.P;
}

TEST(JouleThomsonInversionPoint, DuanCarbonDioxideFromAGasLikeStart) {
    for (double TK : {350.0, 600.0, 1000.0}) {
        DMW1 f(1);
        f.number_of_components(1);
        f.add_component("CO2");
        f.calculateJouleThomsonInversionTemperature(TK, 100e-6);
        ASSERT_EQ(f.error, 0) << TK;
        const double V = f.V, P = f.P;
        // The inversion curve of CO2 lies between some 100 bar and 1000 bar over this range
        // (400-940 bar for the Peng-Robinson and Kreglewski fluids).
        EXPECT_GT(P, 100e5) << TK;
        EXPECT_LT(P, 2000e5) << TK;
        const double h = 1e-6;
        const double dPdT =
            (pressureAt(f, TK * (1 + h), V) - pressureAt(f, TK * (1 - h), V)) / (2 * h * TK);
        const double dPdV =
            (pressureAt(f, TK, V * (1 + h)) - pressureAt(f, TK, V * (1 - h))) / (2 * h * V);
        EXPECT_NEAR((TK * dPdT + V * dPdV) / P, 0.0, 1e-6) << TK << " K, V " << V * 1e6;
    }
}

}  // namespace
}  // namespace vornex

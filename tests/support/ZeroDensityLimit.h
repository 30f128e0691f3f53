// The Joule-Thomson coefficient of a pure fluid at zero density, (T dB/dT - B)/cp0 in K/Pa,
// from routes of its own: B from (Z - 1) V = B + C/V + D/V^2 at 400, 800 and 1600 m3/mol,
// extrapolated to zero density, dB/dT likewise from V (dZ/dT)_V at 100, 200 and 400 m3/mol,
// which holds no ideal-gas part to cancel, and cp0 the fluid's cp at 1e-12 bar. The fluid
// is left at that state.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

struct ZeroDensityLimit {
    double jouleThomson;  // K/Pa
    double cp0;           // J/(mol K)
};

inline ZeroDensityLimit zeroDensityLimit(FluidPhase& fluid, double TK) {
    auto extrapolated = [&](double V1, auto&& perVolume) {
        auto at = [&](double V) {
            fluid.calculateFromTV(TK, V, 0);
            return perVolume(V);
        };
        return at(V1) / 3.0 - 2.0 * at(2.0 * V1) + 8.0 / 3.0 * at(4.0 * V1);
    };
    const double B = extrapolated(400.0, [&](double V) { return (fluid.Z - 1.0) * V; });
    const double dBdT = extrapolated(100.0, [&](double V) { return fluid.dZdT * V; });
    fluid.set_the_phase_as(1);
    fluid.calculateFromTP(TK, 1e-12, 0);
    return {(TK * dBdT - B) / fluid.Cp, fluid.Cp};
}

// The stable states at TK and the pressures (bar) against the limit: a dilute gas
// (vapour, or fluid above the critical temperature) whose mu_JT holds the limit to 1e-7, cp
// cp0 to 1e-9 and T alpha 1 to 1e-9. A state refused (no stable state, the flag raised) is
// no failure here: the count of them is returned.
inline int expectZeroDensityLimit(FluidPhase& fluid, double TK, const ZeroDensityLimit& limit,
                                  std::initializer_list<double> pressures) {
    int refused = 0;
    for (double Pbar : pressures) {
        const FluidPhase::StablePhase phase = fluid.calculateStableStateFromTP(TK, Pbar);
        if (phase == FluidPhase::StablePhase::None) {
            EXPECT_NE(fluid.error, 0) << TK << " K, " << Pbar << " bar";
            ++refused;
            continue;
        }
        EXPECT_TRUE(phase == FluidPhase::StablePhase::Vapour ||
                    phase == FluidPhase::StablePhase::Fluid)
            << TK << " K, " << Pbar << " bar: " << FluidPhase::nameOf(phase);
        EXPECT_NEAR(fluid.jouleThomson, limit.jouleThomson, 1e-7 * std::fabs(limit.jouleThomson))
            << TK << " K, " << Pbar << " bar";
        EXPECT_NEAR(fluid.Cp, limit.cp0, 1e-9 * limit.cp0) << TK << " K, " << Pbar << " bar";
        EXPECT_NEAR(TK * fluid.dVdT / fluid.V, 1.0, 1e-9) << TK << " K, " << Pbar << " bar";
    }
    return refused;
}

}  // namespace vornex::testing_support

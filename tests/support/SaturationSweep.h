// Saturation of a pure model up to its own critical point: every temperature from T0 in
// steps to Tc - 0.01 K gives two phases of equal pressure and fugacity, and at Tc + 0.01 K
// the model says there is none (flag, NaN) and keeps nothing of the last state found: its
// saturated volumes and enthalpy of vaporisation are those of a new model (0).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

inline void expectSaturationUpToOwnCriticalPoint(FluidPhase& model, double T0, double step) {
    const double Tc = model.namingCriticalTemperature();
    ASSERT_GT(Tc, T0);
    std::vector<double> temperatures;
    for (double T = T0; T < Tc - 0.01; T += step) temperatures.push_back(T);
    temperatures.push_back(Tc - 0.01);
    for (double T : temperatures) {
        const double Psat = model.calculateTheSaturationPressure(T);
        ASSERT_EQ(model.error, 0) << T << " K, Tc " << Tc;
        const double Vl = model.Vl, Vv = model.Vv;
        EXPECT_LT(Vl, Vv) << T;
        model.calculateFromTV(T, Vl, 0);
        const double Pl = model.P, lnfl = model.lnFugacity[0];
        model.calculateFromTV(T, Vv, 0);
        EXPECT_NEAR(Pl / model.P, 1.0, 1e-7) << T;
        EXPECT_NEAR(Psat / model.P, 1.0, 1e-7) << T;
        EXPECT_NEAR(lnfl, model.lnFugacity[0], 1e-7) << T;
        model.Vl = Vl;
        model.Vv = Vv;
    }
    const double P = model.calculateTheSaturationPressure(Tc + 0.01);
    EXPECT_EQ(model.error, 1);
    EXPECT_TRUE(std::isnan(P)) << P;
    EXPECT_EQ(model.Vl, 0.0);
    EXPECT_EQ(model.Vv, 0.0);
    EXPECT_EQ(model.Hvap, 0.0);
}

}  // namespace vornex::testing_support

// Saturation temperatures of a water model over a logarithmic grid of pressures from its own
// saturation pressure at the triple-point temperature of water (273.16 K; 611.655 Pa on
// IAPWS-95, 0.159 bar on Duan's water) to just below its own critical pressure: each
// pressure has its saturation state, two phases at that pressure, and the temperature found
// gives the pressure back on the model's own saturation curve. Every point is solved; the
// curve's own pressure is compared at every `stride`-th point (it costs a saturation solve
// of its own).
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "water/WaterEOS.h"

namespace vornex::testing_support {

// The model's saturation pressure (bar) 1e-5 of its critical temperature below it: the top
// of the grid.
inline double topOfSaturationGrid(WaterEOS& model) {
    const double Tc = model.namingCriticalTemperature();
    const double Psat = model.calculateTheSaturationPressure(Tc * (1.0 - 1e-5));
    return model.error == 0 ? Psat * 1e-5 : NAN;
}

// The older models' liquid pressure carries some 5e-3 Pa of rounding (its volume times its
// bulk modulus of 2e9 Pa times the last digits of their sums).
constexpr double kLiquidRounding = 0.02;  // Pa

inline void expectSaturationTemperaturesOverGrid(WaterEOS& model, int points, int stride) {
    const double Pbottom = model.calculateTheSaturationPressure(273.16) * 1e-5;
    ASSERT_EQ(model.error, 0);
    const double Ptop = topOfSaturationGrid(model);
    ASSERT_TRUE(Ptop > 200.0) << Ptop;
    const double Tc = model.namingCriticalTemperature();
    int failures = 0;
    double firstFailure = 0.0;
    for (int k = 0; k < points; ++k) {
        const double Pbar = Pbottom * std::pow(Ptop / Pbottom, k / double(points - 1));
        model.calculateTheSaturationTemperature(Pbar, 0);
        const bool solved = model.error == 0 && model.T > 200.0 && model.T < Tc &&
                            model.Vl > 0.0 && model.Vv > model.Vl &&
                            std::fabs(model.Pl - Pbar * 1e5) < 1e-7 * Pbar * 1e5 + kLiquidRounding &&
                            std::fabs(model.Pv / (Pbar * 1e5) - 1.0) < 1e-7;
        if (!solved) {
            if (failures++ == 0) firstFailure = Pbar;
            if (failures < 6)
                ADD_FAILURE() << Pbar << " bar: error " << model.error << ", " << model.T
                              << " K, Vl " << model.Vl << ", Vv " << model.Vv << ", Pl "
                              << model.Pl << ", Pv " << model.Pv;
            continue;
        }
        if (k % stride != 0) continue;
        const double TK = model.T;
        const double Psat = model.calculateTheSaturationPressure(TK);
        EXPECT_EQ(model.error, 0) << TK;
        if (model.error == 0) {
            EXPECT_NEAR(Psat / (Pbar * 1e5), 1.0, 1e-8) << Pbar << " bar, " << TK << " K";
        }
    }
    EXPECT_EQ(failures, 0) << "first at " << firstFailure << " bar, grid to " << Ptop << " bar";
}

}  // namespace vornex::testing_support

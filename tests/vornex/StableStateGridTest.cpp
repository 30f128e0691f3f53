// The state the console prints for "TP" over the range a user asks about: on a grid of
// T = 275 ... 1200 K and P = 0.01 ... 1000 bar, the reference water model's stable phase
// is liquid above its own saturation pressure, vapour below it and fluid above the critical
// temperature, and never a root that the model flags as unstable.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fluid/FluidPhase.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"

namespace vornex {
namespace {

TEST(StableState, ReferenceWaterGridHasTheStablePhaseEverywhere) {
    registerWaterModels();
    std::unique_ptr<FluidPhase> water(FluidPhase::getEOS("wagner"));
    std::unique_ptr<FluidPhase> saturation(FluidPhase::getEOS("wagner"));
    EXPECT_NEAR(water->namingCriticalTemperature(), kWaterCriticalTemperature, 1e-3);
    using Phase = FluidPhase::StablePhase;
    int states = 0, wrong = 0;
    // 48 temperatures about 19.7 K apart (none within 1 K of Tc), 61 pressures.
    for (int i = 0; i < 48; ++i) {
        const double TK = 275.0 + (1200.0 - 275.0) * i / 47;
        const bool subcritical = TK < kWaterCriticalTemperature;
        const double Psat = subcritical ? saturation->calculateTheSaturationPressure(TK) * 1e-5 : 0;
        ASSERT_EQ(saturation->error, 0) << TK;
        for (int j = 0; j < 61; ++j) {
            const double Pbar = 0.01 * std::pow(10.0, j / 12.0);
            // Within 1e-4 of the saturation pressure either phase is the lower one to the
            // solver's accuracy.
            if (subcritical && std::fabs(Pbar / Psat - 1.0) < 1e-4) continue;
            const Phase expected = !subcritical  ? Phase::Fluid
                                   : Pbar > Psat ? Phase::Liquid
                                                 : Phase::Vapour;
            const Phase phase = water->calculateStableStateFromTP(TK, Pbar);
            ++states;
            if ((phase != expected || water->isInstable(TK, water->V) != 0 ||
                 !(water->dPdV < 0.0) || std::fabs(water->P / (Pbar * 1e5) - 1.0) > 1e-6) &&
                ++wrong <= 10)
                ADD_FAILURE() << "T " << TK << " K, P " << Pbar << " bar (Psat " << Psat
                              << "): " << FluidPhase::nameOf(phase) << " at " << water->V * 1e6
                              << " cm3/mol, expected " << FluidPhase::nameOf(expected);
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << states << " states";
    EXPECT_GT(states, 2900);
    // The steam the user asked for: 400 K and 1 bar is vapour at 0.5476 kg/m3, and the
    // model's own selector is left as it was.
    EXPECT_EQ(water->calculateStableStateFromTP(400.0, 1.0), Phase::Vapour);
    EXPECT_NEAR(water->M / water->V, 0.5476, 1e-4);
    EXPECT_EQ(water->phase, 2);
}

}  // namespace
}  // namespace vornex

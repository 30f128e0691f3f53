// A pure gas's saturation temperature at a pressure from a start far from it: whatever the
// start, the temperature found has that saturation pressure on the model's own curve.
#include <gtest/gtest.h>

#include <cmath>

#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/N2EOS.h"

namespace vornex {
namespace {

// The temperature found at P from the start, checked against the model's saturation pressure.
void expectSaturationAt(FluidPhase& gas, double PPa, double Tstart) {
    gas.error = 0;
    gas.calculate_saturation_temperature(PPa, Tstart);
    ASSERT_EQ(gas.error, 0) << PPa << " Pa from " << Tstart << " K";
    const double TK = gas.T;
    EXPECT_LT(gas.Vl, gas.Vv);
    EXPECT_NEAR(gas.calculateTheSaturationPressure(TK) / PPa, 1.0, 1e-8) << TK << " K";
}

// Duan's carbon dioxide at 31.3 bar from 216.9 K with the volumes of its saturation near
// 269 K: the Newton solve converged to 34.8 K (a pair of 20.8 and 741 cm3/mol, where the model
// has no saturation) and gave it as the saturation temperature.
TEST(SaturationTemperatureFromAnyStart, DuanCarbonDioxideFromBelowItsCurve) {
    DuanCO2 co2(2);
    const double Tc = co2.namingCriticalTemperature();
    co2.Vl0 = 4.5180285494973932e-05;
    co2.Vv0 = 6.9305779014912946e-04;
    expectSaturationAt(co2, 3129602.6587573672, 0.7 * Tc);
    EXPECT_GT(co2.T, 260.0);
    EXPECT_LT(co2.T, 275.0);
}

// Duan's methane has no saturation below 156.1 K: from any start below that (0.7 Tc is
// 137.9 K) every pressure of its curve had been refused.
TEST(SaturationTemperatureFromAnyStart, DuanMethaneFromWhereItHasNoSaturation) {
    DuanCH4 methane(2);
    const double Tc = methane.namingCriticalTemperature();
    for (double Pbar : {15.0, 30.0, 60.0, 75.0})
        for (double start : {100.0, 0.7 * Tc, 150.0}) {
            SCOPED_TRACE(Pbar);
            expectSaturationAt(methane, Pbar * 1e5, start);
            EXPECT_GT(methane.T, 156.0);
        }
}

// Nitrogen's curve ends at its triple point (63.151 K, 0.12520 bar; below it the liquid is
// beyond the melting line): pressures within 0.5 % above the triple point's, which saturate
// within 30 mK of it, had been refused from starts above them with the volumes saturated
// there, the downward steps landing below the curve's end.
TEST(SaturationTemperatureFromAnyStart, NitrogenJustAboveItsTriplePoint) {
    Jacobsen nitrogen(2);
    const double Tc = nitrogen.namingCriticalTemperature();
    for (double Pbar : {0.125256, 0.12556, 0.1258})
        for (double start : {64.0, 0.7 * Tc, 120.0}) {
            SCOPED_TRACE(Pbar);
            nitrogen.calculateTheSaturationPressure(start);
            expectSaturationAt(nitrogen, Pbar * 1e5, start);
            EXPECT_GT(nitrogen.T, 63.151);
            EXPECT_LT(nitrogen.T, 63.19);
        }
}

}  // namespace
}  // namespace vornex

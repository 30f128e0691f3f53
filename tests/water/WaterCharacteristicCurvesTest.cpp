// The Joule-Thomson inversion curve of IAPWS-95 traced down in temperature from liquid-like
// starts. Expanded at low temperature, the liquid's isotherm flattens towards its spinodal at
// negative pressure, where (dV/dT)_P and with it mu_JT have a pole whose change of sign is no
// root: every row written is a root of T (dP/dT)_V + V (dP/dV)_T, which has no pole there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "fluid/TextFiles.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

double pressureAt(WagnerPruss& w, double T, double V) {
    w.temperature(T);
    w.volume(V);
    w.calculate_state_functions();
    return w.P;
}

// T (dP/dT)_V + V (dP/dV)_T over the sum of its terms' sizes, from central differences of
// the pressure alone.
double inversionResidual(WagnerPruss& w, double T, double V) {
    const double hT = 1e-5 * T, hV = 1e-5 * V;
    const double a = T * (pressureAt(w, T + hT, V) - pressureAt(w, T - hT, V)) / (2 * hT);
    const double b = V * (pressureAt(w, T, V + hV) - pressureAt(w, T, V - hV)) / (2 * hV);
    return (a + b) / (std::fabs(a) + std::fabs(b));
}

TEST(WaterCharacteristicCurves, InversionCurveFromTheLiquidStopsShortOfTheSpinodalPole) {
    constexpr double Tc = 647.096, Vc = 18.015268e-3 / 322.0;
    WagnerPruss probe{2};
    for (auto [t, v] : {std::pair{0.9, 0.45}, std::pair{0.7, 0.4}}) {
        WagnerPruss water{2};
        ::testing::internal::CaptureStderr();
        water.calculateJouleThomsonInversionCurve("jt_water", t * Tc, v * Vc, -2.0, 0.5 * Tc,
                                                  10 * Tc, 2, nullptr);
        const std::string said = ::testing::internal::GetCapturedStderr();
        const auto lines = testing::fileLines("jt_water");
        std::remove("jt_water");
        ASSERT_GE(lines.size(), 2u) << t;
        for (size_t k = 1; k < lines.size(); ++k) {
            const auto row = testing::numbersOf(lines[k]);
            ASSERT_EQ(row.size(), 3u);
            // A root changes sign within a part in 1e4 of the row's volume, beyond the
            // rounding of the file; at the pole the residual keeps its sign, at 0.03-1.
            const double T = row[0], V = row[1] * 1e-6, share = 1e-4 + 2e-6 / row[1];
            const double at = inversionResidual(probe, T, V);
            const double below = inversionResidual(probe, T, V * (1 - share)),
                         above = inversionResidual(probe, T, V * (1 + share));
            EXPECT_TRUE(std::fabs(at) < 1e-6 || below * above <= 0)
                << "row " << lines[k] << " of the curve from " << t << " Tc: " << below << ", "
                << at << ", " << above;
        }
        // Where the trace stops above its lower limit it says why.
        const double Tlast = testing::numbersOf(lines.back())[0];
        if (Tlast > 0.5 * Tc + 2.0) {
            EXPECT_EQ(water.error, 1);
            EXPECT_NE(said.find("Joule-Thomson inversion curve ends at"), std::string::npos) << said;
        }
    }
}

}  // namespace
}  // namespace vornex

// The decompression end states of water heated by magma that the water studies share: the
// isentropic point at a given pressure, and the liquid-steam mixture at 100 degC.
#include <cmath>
#include <cstdio>

#include "water/WaterEOS.h"

namespace vornex {

void WaterEOS::calculateAtmosphericDecompressionPoint(double S, double Pbar) {
    if (!(Pbar > 0.0) || !std::isfinite(S)) {
        std::fprintf(stderr, "Decompression point: needs a finite entropy and P > 0\n");
        error = 1;
        return;
    }
    // Below the critical entropy the end point is liquid-like, above it vapour-like; the
    // other side and other temperatures are the retries.
    const bool liquidLike = S < kWaterCriticalEntropy;
    const double starts[] = {373.15, 300.0, 450.0, 600.0, 800.0, 1200.0};
    for (int side = 0; side < 2; ++side) {
        const bool liquid = (side == 0) == liquidLike;
        for (double T0 : starts) {
            const double V0 = liquid ? 1.9e-5 : 8.31434 * T0 / (Pbar * 1e5);
            calculate_isentropic_point_at_fixed_P(Pbar, S, T0, V0);
            if (!error) return;
        }
    }
    std::fprintf(stderr, "Failed to find decompression point %f\n", S);
    error = 1;
}

double WaterEOS::calculateIsentropicVaporization(double S) {
    constexpr double kBoilingT = 373.15;
    calculateTheSaturationPressure(kBoilingT);
    if (error) return std::nan("");
    const double Vliquid = Vl, Vvapour = Vv, Psat = P;
    calculateFromTV(kBoilingT, Vliquid, 0);
    const double Sl = this->S, Ul = U;
    calculateFromTV(kBoilingT, Vvapour, 0);
    const double Sv = this->S, Uv = U;
    if (error) return std::nan("");
    const double fl = (Sv - S) / (Sv - Sl);
    T = kBoilingT;
    P = Psat;
    V = fl * Vliquid + (1.0 - fl) * Vvapour;
    U = fl * Ul + (1.0 - fl) * Uv;
    H = U + P * V;
    return fl;
}

}  // namespace vornex

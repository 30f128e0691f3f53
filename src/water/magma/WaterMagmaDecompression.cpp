// The decompression end states of water heated by magma that the water studies share: the
// isentropic point at a given pressure, and the liquid-steam mixture at 100 degC.
#include <cmath>
#include <cstdio>

#include "water/WaterEOS.h"
#include "numerics/Decimal.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

// The single-phase state of entropy S (J/(mol K)), or of enthalpy H (J/mol), on the isobar P
// (bar), its temperature bracketed: both rise with T on each side of the boiling point, the
// liquid's below the saturated liquid's value, the steam's above the saturated steam's (above
// the critical pressure on the one fluid side). For a value near the critical one at a
// pressure near the critical pressure, where the isobar's entropy and enthalpy climb steeply,
// the searches from fixed starts fail. False between the saturated values (a two-phase end) or
// where a state cannot be solved.
bool singlePhasePointOnTheIsobar(WaterEOS& w, double Pbar, double target, IsobarValue what) {
    constexpr double kLowest = 251.165;  // K, the lowest of the melting line
    constexpr double kHighest = 5000.0;  // K
    const bool entropy = what == IsobarValue::Entropy;
    double low = kLowest, high = kHighest;
    // Above the critical pressure the side only chooses the first volume.
    bool liquid = entropy && target < kWaterCriticalEntropy;
    double Vstart = liquid ? 1.8e-5 : kGasConstant * low / (Pbar * 1e5);
    double Vliquid = 1.0, Vsteam = 0.0, Vfound = 0.0;
    if (Pbar < kWaterCriticalPressureBar) {
        SaturationEnds ends;
        if (!saturationEndsAtP(w, Pbar, ends)) return false;
        const double atLiquid = entropy ? ends.Sl : ends.Hl;
        const double atSteam = entropy ? ends.Sv : ends.Hv;
        liquid = target <= atLiquid;
        if (liquid) {
            high = ends.T;
            Vstart = Vliquid = ends.Vl;
        } else if (target >= atSteam) {
            low = ends.T;
            Vstart = Vsteam = ends.Vv;
        } else {
            return false;
        }
    }
    Vfound = Vstart;
    // The volume at (T, P) from the last volume found, on its side of the saturated volume;
    // near the boiling point, where the model's own choice of the stable root may be the
    // other side's, by Newton along the isotherm, kept on that side.
    const double PPa = Pbar * 1e5;
    auto onSide = [&] {
        return w.error == 0 && std::isfinite(w.S) && w.dPdV < 0.0 &&
               (liquid ? w.V <= Vliquid : w.V >= Vsteam);
    };
    auto valueAt = [&](double TK, bool& ok) {
        w.error = 0;
        w.set_the_phase_as(liquid ? 2 : 1);
        (liquid ? w.Vl0 : w.Vv0) = Vfound;
        w.calculateFromTP(TK, Pbar, 0);
        ok = onSide();
        if (ok) {
            Vfound = w.V;
            return (entropy ? w.S : w.H) - target;
        }
        double V = Vfound;
        for (int k = 0; k < 100 && !ok; ++k) {
            w.error = 0;
            w.calculateFromTV(TK, V, 0);
            if (w.error || !std::isfinite(w.P) || !(w.dPdV < 0.0)) return 0.0;
            double next = std::fmin(2.0 * V, std::fmax(0.5 * V, V - (w.P - PPa) / w.dPdV));
            if (liquid && next > Vliquid) next = 0.5 * (V + Vliquid);
            if (!liquid && next < Vsteam) next = 0.5 * (V + Vsteam);
            // Close to the critical point the isotherm is so flat that the volume's last
            // digits follow the rounding of the pressure: a pressure met to rounding is met.
            ok = std::fabs(next - V) < 1e-12 * V || std::fabs(w.P - PPa) < 1e-12 * PPa;
            V = next;
        }
        w.calculateFromTV(TK, V, 0);
        ok = ok && onSide() && std::fabs(w.P - PPa) < 1e-9 * PPa;
        if (ok) Vfound = V;
        return (entropy ? w.S : w.H) - target;
    };
    // Near the critical point the steam's entropy climbs by 0.3 J/(mol K) in the first 1e-4 K
    // above its boiling point: the bracket is halved to the last digit of T.
    bool ok = false;
    for (int n = 0; n < 200; ++n) {
        const double mid = 0.5 * (low + high);
        if (!(mid > low && mid < high)) break;
        const double f = valueAt(mid, ok);
        if (!ok) return false;
        (f > 0.0 ? high : low) = mid;
    }
    const double f = valueAt(0.5 * (low + high), ok);
    // A value near zero (liquid close to the triple point) is judged on the scale of R or RT.
    const double scale = std::fmax(std::fabs(target), kGasConstant * (entropy ? 1.0 : w.T));
    return ok && std::fabs(f) < 1e-6 * scale;
}

void WaterEOS::calculateAtmosphericDecompressionPoint(double S, double Pbar) {
    const KeptPhaseSelector side(*this);
    if (!(Pbar > 0.0) || !std::isfinite(S)) {
        vornex::cfprintf(stderr, "Decompression point: needs a finite entropy and P > 0\n");
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
    if (singlePhasePointOnTheIsobar(*this, Pbar, S, IsobarValue::Entropy)) {
        error = 0;
        return;
    }
    vornex::cfprintf(stderr, "Failed to find decompression point %f\n", S);
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
    // Outside the saturated phases' entropies no mixture holds S.
    constexpr double kRounding = 1e-12;
    if (!(fl >= -kRounding && fl <= 1.0 + kRounding)) {
        error = 1;
        return std::nan("");
    }
    T = kBoilingT;
    P = Psat;
    V = fl * Vliquid + (1.0 - fl) * Vvapour;
    U = fl * Ul + (1.0 - fl) * Uv;
    H = U + P * V;
    return fl;
}

}  // namespace vornex

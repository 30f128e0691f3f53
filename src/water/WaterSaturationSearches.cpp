// Saturated states of given entropy and spinodal states of water, found by the fluid
// framework's searches on the object's own model, started from the fits of
// WaterSaturationCorrelations.h.

#include <cmath>

#include "water/WaterEOS.h"
#include "water/WaterSaturationCorrelations.h"

namespace vornex {

namespace {

void setSearchStart(WaterEOS& w, const water::SearchStart& start) {
    w.temperature(start.T);
    w.Vl0 = start.Vl;
    w.Vv0 = start.Vv;
}

}  // namespace

namespace {

// Liquid and vapour coexisting at T: Newton on equal pressures and Gibbs energies, started
// from the given volumes, both kept positive and apart.
bool coexistenceAtT(WaterEOS& w, double T, double& Vl, double& Vv) {
    for (int iteration = 0; iteration < 60; ++iteration) {
        double P[2], G[2], dPdV[2];
        const double V[2] = {Vl, Vv};
        for (int k = 0; k < 2; ++k) {
            w.calculateFromTV(T, V[k], 0);
            if (w.error || !std::isfinite(w.P) || !std::isfinite(w.G) || !(w.dPdV < 0.0))
                return false;
            P[k] = w.P;
            G[k] = w.G;
            dPdV[k] = w.dPdV;
        }
        const double RT = w.gasConstant * T, fP = (P[0] - P[1]) / P[0], fG = (G[0] - G[1]) / RT;
        // The liquid's pressure is fixed only to some ulps of its volume times its bulk
        // modulus (1e9 Pa against a vapour pressure of 1e3 to 1e7 Pa), and an older model's
        // to 1e-12 of that: the pressures are compared on the larger scale, and a step that
        // moves the volumes by no more than that rounding ends the search once both
        // residuals are small. Equal pressures and Gibbs energies hold trivially for one
        // volume taken twice: the two must stay apart to be two phases.
        const double pressureScale = std::fmax(P[0], -Vl * dPdV[0]);
        const double fPscaled = std::fabs(P[0] - P[1]) / pressureScale;
        if (fPscaled < 1e-13 && std::fabs(fG) < 1e-13) return Vv - Vl > 1e-5 * Vl;
        // d/dVl and d/dVv of both residuals (dG/dV = V dP/dV at constant T).
        const double a = dPdV[0] / P[0], b = -dPdV[1] / P[0];
        const double c = Vl * dPdV[0] / RT, d = -Vv * dPdV[1] / RT, det = a * d - b * c;
        if (!(det != 0.0) || !std::isfinite(det)) return false;
        const double dVl = -(d * fP - b * fG) / det, dVv = -(a * fG - c * fP) / det;
        double lambda = 1.0;
        while (lambda > 1e-6 && !(Vl + lambda * dVl > 0.0 && Vv + lambda * dVv > Vl + lambda * dVl))
            lambda *= 0.5;
        Vl += lambda * dVl;
        Vv += lambda * dVv;
        if (std::fabs(lambda * dVl) <= 1e-10 * Vl && std::fabs(lambda * dVv) <= 1e-10 * Vv &&
            fPscaled < 1e-9 && std::fabs(fG) < 1e-9)
            return Vv - Vl > 1e-5 * Vl;
    }
    return false;
}

// A saturated state found at T: both volumes and the entropy of the side asked for.
struct SaturatedPoint {
    double T, Vl, Vv, S;
};

// The coexistence at T from the given volumes (or the auxiliary densities), and the side's
// entropy.
bool saturatedAt(WaterEOS& w, double T, bool liquid, SaturatedPoint& p, const SaturatedPoint* from) {
    p.T = T;
    bool coexists = false;
    if (from != nullptr) {
        p.Vl = from->Vl;
        p.Vv = from->Vv;
        coexists = coexistenceAtT(w, T, p.Vl, p.Vv);
    }
    if (!coexists) {
        p.Vl = kWaterMolarMass / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
        p.Vv = kWaterMolarMass / WaterEOS::saturatedVapourDensityWagnerPruss(T);
        coexists = coexistenceAtT(w, T, p.Vl, p.Vv);
    }
    // A model whose critical point lies apart from the reference one: its own saturation
    // solve at T gives the start.
    if (!coexists && std::isfinite(w.calculateTheSaturationPressure(T))) {
        p.Vl = w.Vl;
        p.Vv = w.Vv;
        coexists = coexistenceAtT(w, T, p.Vl, p.Vv);
    }
    if (!coexists) return false;
    w.calculateFromTV(T, liquid ? p.Vl : p.Vv, 0);
    p.S = w.S;
    return w.error == 0;
}

// The state as the general search leaves it: the side evaluated in full, both volumes.
void settleSaturated(WaterEOS& w, const SaturatedPoint& p, bool liquid) {
    w.temperature(p.T);
    w.Vl = p.Vl;
    w.Vv = p.Vv;
    w.set_the_phase_as(liquid ? 2 : 1);
    w.calculateFromTV(p.T, liquid ? p.Vl : p.Vv, 0);
}

// Near the critical point the side's entropy moves by some 1e-7 J/(mol K) with the last
// bits of the coexistence (its volumes are barely determined there); 1e-8 of it is what a
// search there can promise. The entropy's zero is a convention (the liquid at the triple
// point): close to it the tolerance is 1e-8 J/(mol K), not 1e-8 of a vanishing value.
bool entropyMet(double S, double entropy) {
    return std::fabs(S - entropy) <= 1e-8 * std::fmax(std::fabs(entropy), 1.0);
}

// The T of the entropy along the model's own saturation curve, by regula falsi on T: the
// bracket's far end is sought from a kelvin below the model's critical temperature down to
// the lowest temperature of the tracers, its near end up to the closest temperature that
// still coexists. Taken where the general search of the three unknowns fails: within a
// kelvin or two of the critical point, where it is nearly singular, and wherever the water
// fits it starts from lie far from the model's curve. False when the entropy lies beyond
// both ends.
bool saturationFromEntropyAlongCurve(WaterEOS& w, double entropy, bool liquid) {
    const double Tc = w.namingCriticalTemperature();
    if (!(Tc > 1.0)) return false;
    // The side's entropy approaches the critical one from below (liquid) or above (vapour).
    auto beyond = [&](const SaturatedPoint& p) {
        return liquid ? p.S >= entropy : p.S <= entropy;
    };
    SaturatedPoint low{}, high{};
    bool bracketed = false;
    int failures = 0;
    for (double gap = 1.0;;) {
        const double T = std::fmax(Tc - gap, w.Tlowest);
        if (!saturatedAt(w, T, liquid, low, bracketed ? &high : nullptr)) {
            // A model's coexistence may end (or its solve fail) above the lowest temperature:
            // a shorter step from the last temperature that coexists.
            if (!bracketed || ++failures > 30) return false;
            gap = 0.5 * (Tc - T + Tc - high.T);
            continue;
        }
        if (!beyond(low)) break;
        if (!(T > w.Tlowest)) return false;
        high = low;
        bracketed = true;
        gap = 2.0 * (Tc - T);
    }
    for (double gap = 0.1; gap >= 1e-7 && !bracketed; gap *= 0.1) {
        SaturatedPoint p{};
        if (!saturatedAt(w, Tc - gap, liquid, p, nullptr)) break;
        bracketed = beyond(p);
        (bracketed ? high : low) = p;
    }
    if (!bracketed) return false;
    SaturatedPoint mid = low, best = std::fabs(low.S - entropy) < std::fabs(high.S - entropy) ? low : high;
    for (int k = 0, kept = 0; k < 200 && !entropyMet(mid.S, entropy); ++k) {
        // Illinois: an end kept twice in a row counts half.
        const double fl = (low.S - entropy) * (kept == -1 ? 0.5 : 1.0);
        const double fh = (high.S - entropy) * (kept == 1 ? 0.5 : 1.0);
        double T = low.T - fl * (high.T - low.T) / (fh - fl);
        if (!(T > low.T && T < high.T)) T = 0.5 * (low.T + high.T);
        if (T == low.T || T == high.T || !saturatedAt(w, T, liquid, mid, &low)) break;
        if (std::fabs(mid.S - entropy) < std::fabs(best.S - entropy)) best = mid;
        const bool up = beyond(mid) == beyond(high);
        (up ? high : low) = mid;
        kept = up ? -1 : 1;
    }
    // Within a few 1e-4 K of the critical point the coexisting volumes, and with them the
    // entropy, are fixed only to some 1e-7 of it: the closest state to that is taken.
    if (!(std::fabs(best.S - entropy) <= 1e-6 * std::fabs(entropy))) return false;
    settleSaturated(w, best, liquid);
    return w.error == 0;
}

// The general search; where it failed, or stopped short of the entropy, the search along the
// curve.
int saturationFromEntropySearch(WaterEOS& w, double entropy, bool liquid) {
    w.S = entropy;
    setSearchStart(w, liquid ? water::boilingStartFromS(entropy)
                             : water::condensationStartFromS(entropy));
    const int code = liquid ? w.calculateLiquidSaturationFromEntropy(entropy)
                            : w.calculateGasSaturationFromEntropy(entropy);
    if (code == 0 && w.error == 0) {
        if (entropyMet(w.S, entropy)) return 0;
        const SaturatedPoint found{w.T, w.Vl, w.Vv, w.S};
        if (saturationFromEntropyAlongCurve(w, entropy, liquid)) return 0;
        // The general search's state stands.
        settleSaturated(w, found, liquid);
        w.S = found.S;
        return w.error == 0 ? 0 : 1;
    }
    if (saturationFromEntropyAlongCurve(w, entropy, liquid)) return 0;
    w.forgetSaturation();
    w.error = 1;
    return code != 0 ? code : 1;
}

// The search leaves the saturated state; the phase selector it moves is the caller's again.
int saturationFromEntropy(WaterEOS& w, double entropy, bool liquid) {
    const int selector = w.phase;
    const int code = saturationFromEntropySearch(w, entropy, liquid);
    w.set_the_phase_as(selector);
    return code;
}

}  // namespace

int WaterEOS::calculateBoilingPointFromS(double entropy) {
    return saturationFromEntropy(*this, entropy, true);
}

int WaterEOS::calculateCondensationPointFromS(double entropy) {
    return saturationFromEntropy(*this, entropy, false);
}

namespace {

// The entropy of the stable state at (T, P), whatever side the phase selector names (a
// superheated liquid's entropy has no condensation point); false when there is no state.
bool entropyOfState(WaterEOS& w, double TK, double Pbar) {
    if (w.calculateStableStateFromTP(TK, Pbar) == FluidPhase::StablePhase::None || w.error)
        return false;
    w.calculate_state_functions();
    return !w.error;
}

}  // namespace

int WaterEOS::calculateBoilingPointFromTP(double TK, double Pbar) {
    if (!entropyOfState(*this, TK, Pbar)) return 1;
    return calculateBoilingPointFromS(S);
}

int WaterEOS::calculateCondensationPointFromTP(double TK, double Pbar) {
    if (!entropyOfState(*this, TK, Pbar)) return 1;
    return calculateCondensationPointFromS(S);
}

void WaterEOS::calculateTheLiquidSpinodalTemperatureFromV(double Vm3) {
    calculateSpinodalPoint1(Vm3, water::liquidSpinodalStartTemperature(Vm3));
}

int WaterEOS::calculateTheLiquidSpinodalTemperatureFromP(double Pbar) {
    water::SearchStart start = water::liquidSpinodalStartFromP(Pbar);
    return calculateLiquidSpinodalPoint2(Pbar, start.Vl, start.T);
}

void WaterEOS::calculateTheSpinodalPointFromS(double entropy) {
    water::SearchStart start = water::spinodalStartFromS(entropy, Scrit);
    calculateSpinodalPointFixedS(entropy, start.Vl, start.T);
}

}  // namespace vornex

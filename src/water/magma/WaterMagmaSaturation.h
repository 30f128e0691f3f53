// Two-phase ends of the magma-water expansions: the saturated liquid and steam at a final
// pressure, the lever rule between them and the energy balance of an expansion against
// that pressure. Energies J/mol, entropies J/(mol K), volumes m3/mol, P in Pa.
#pragma once

#include "numerics/Solver.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {

struct SaturationEnds {
    double T = 0.0, P = 0.0;
    double Vl = 0.0, Vv = 0.0, Ul = 0.0, Uv = 0.0, Hl = 0.0, Hv = 0.0, Sl = 0.0, Sv = 0.0;
    double Al = 0.0, Av = 0.0;

    // x liquid + (1 - x) vapour.
    static double lever(double x, double liquid, double vapour) {
        return x * liquid + (1.0 - x) * vapour;
    }
    double volume(double x) const { return lever(x, Vl, Vv); }
    double energy(double x) const { return lever(x, Ul, Uv); }
    // Liquid fraction of the isentropic end of entropy S.
    double isentropicFraction(double S) const { return (S - Sv) / (Sl - Sv); }
    // Liquid fraction of the adiabatic expansion of (V0, U0) against P:
    // U - U0 = -P (V - V0) - heat, with `heat` the energy the water has taken in.
    double irreversibleFraction(double V0, double U0, double heat = 0.0) const {
        return (P * V0 - P * Vv - Uv + U0 + heat) / ((Ul - Uv) + P * (Vl - Vv));
    }
    // Work -P (V(x) - V0) of that expansion (J/mol).
    double irreversibleWork(double x, double V0) const { return -P * (volume(x) - V0); }
};

// A search of one of the solvers on one of the water's residuals from x0 and x1.
template <class Search>
Search waterSearch(WaterEOS& w, double (WaterEOS::*residual)(double, void*), void* context,
                   double x0, double x1, int itermax, double tolerance) {
    Search s;
    s.equation = &w;
    s.function = static_cast<EquationFunction>(residual);
    s.context = context;
    s.x0 = x0;
    s.x1 = x1;
    s.itermax = itermax;
    s.tolerance = tolerance;
    return s;
}

// A secant search on one of the water's residuals from x0 and x1 (no bounds, relaxation
// halved down to 0.01 on a failed step).
inline Secant waterSecant(WaterEOS& w, double (WaterEOS::*residual)(double, void*), void* context,
                          double x0, double x1, int itermax, double tolerance, bool growthCheck) {
    Secant s = waterSearch<Secant>(w, residual, context, x0, x1, itermax, tolerance);
    s.growthcheck = growthCheck ? 1 : 0;
    return s;
}

// The root of one of the water's residuals in [low, high], where its signs differ, by the
// bracketing search: where a secant cannot follow a kink of a magma-water balance (the
// magma's solidus, liquidus or single melting point). False without a sign change or
// where the residual fails.
bool bracketedWaterRoot(WaterEOS& w, double (WaterEOS::*residual)(double, void*), void* context,
                        double low, double high, double& root);

// Saturated water at 1 bar (IAPWS-95, 372.76 K) as the 1-bar expansions use it, per mole;
// its temperature is written 373.15 K.
SaturationEnds fixedOneBarSaturation();

// The saturation temperature at P (bar), close below the critical pressure too: the model
// then holds T, P and both volumes. False, with the model's error flag, where none is found.
bool saturationTemperatureAtP(WaterEOS& water, double Pbar);
// The saturation at P (bar) from the model: both phases at the saturation temperature.
// False when the saturation search fails.
bool saturationEndsAtP(WaterEOS& water, double Pbar, SaturationEnds& ends);
// The same at T (K).
bool saturationEndsAtT(WaterEOS& water, double TK, SaturationEnds& ends);

// The single-phase state on the isobar P (bar) whose entropy (J/(mol K)) or enthalpy (J/mol)
// is the target, by halving the temperatures of its side of the boiling point: sure close to
// the critical point, where searches from a start fail. The model is left at the state; false
// for a target between the saturated values at P (a two-phase state) or a state not solved.
enum class IsobarValue { Entropy, Enthalpy };
bool singlePhasePointOnTheIsobar(WaterEOS& water, double Pbar, double target, IsobarValue what);

// The final-pressure saturation held by a cycle result.
SaturationEnds finalEnds(const WaterMagmaCalculationResult& r);

// The irreversible end of state 3 of the result against its final pressure: two-phase by
// the energy balance, else the single-phase end searched from Tstart (NaN work when that
// fails); Wh (J/mol) is the work the water did while it was heated.
void irreversibleExpansion(WaterEOS& w, WaterMagmaCalculationResult& r, double Wh, double Tstart);

// The point where the isentrope of entropy S3 (J/(mol K)) meets the saturation curve (the
// steam's side above the critical entropy, the liquid's below): the model holds it; the
// critical state, with entropy S3, where the two meet closer to it than the curve is solved.
// False where there is none.
bool isentropeMeetsSaturation(WaterEOS& w, double S3);

// The end at the result's Pf of the isentrope of its state 3 where it meets no saturation
// above Pf: state 5 (T, P, U, H, S), liquid (x5 1) below the critical entropy, steam (x5 0)
// above, with its steam mass and volume fractions; one phase. False, with the model's error
// flag, where the end is not found.
bool singlePhaseIsentropeEnd(WaterEOS& w, WaterMagmaCalculationResult& r);

// Steam at Pf (bar) that magma cooling with it from T4 (K) heats past saturation, from a
// water entropy S4 (J/(mol K)) at T4, m kg of water a kg of magma: the end at the common
// temperature of steam and magma, searched between Tlow and T4. False where it cannot be
// found; else the model holds the steam's end.
bool steamEndWithMagma(WaterEOS& w, double Pf, double Tlow, double T4, double S4, double m);

// An Igor file holding the given waves without a point: a curve the script loads but the
// calculation did not trace. Said on standard error.
bool writeEmptyWave(const char* name, const char* waves);

// Saturation, liquid spinodal and boiling data of a heating at the result's P2 (bar, below
// the critical pressure) from its state 2; false when one of the searches fails.
bool isobaricReferenceData(WaterEOS& w, WaterMagmaCalculationResult& r);

}  // namespace vornex

// Saturation states fixed by something other than T or P: the homogenisation temperature
// Th of a fluid of known molar volume (a fluid inclusion whose liquid, or vapour, fills it
// at Th), the density of a fluid from its Th, and the saturated liquid or vapour of a given
// molar entropy (the boiling and condensation points of isentropic paths). Each is the
// liquid-vapour coexistence (equal fugacity of the major component, equal pressure) with one
// volume held, or with one more equation, solved on the fluid's Newton solver; a pure
// fluid's Th, where that solve fails, bracketed on the fluid's own saturation curve.
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>

#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/SaturationSolver.h"
#include "numerics/Decimal.h"

namespace vornex {

namespace {

// One phase of a coexistence with the temperature derivatives at constant volume and,
// for the entropy residuals, the entropy with its derivatives.
struct CoexistingPhase {
    PhaseSide side;
    double dfdT_V, dPdT_V;
    double S, dSdT, dSdV;
};

bool evaluatePhase(FluidPhase& f, int selector, double Vm3, double TK, bool withEntropy,
                   bool checkStability, CoexistingPhase& p) {
    f.set_the_phase_as(selector);
    f.volume(Vm3);
    f.temperature(TK);
    if (!evaluateSide(f, f.majorComponent, p.side)) return false;
    p.dPdT_V = p.side.dPdT;
    p.dfdT_V = p.side.dfdT_P + p.side.dfdP * p.side.dPdT;
    if (withEntropy) {
        f.calculate_state_functions();
        if (f.error || !std::isfinite(f.S)) return false;
        p.S = f.S;
        p.dSdT = f.dSdT;
        p.dSdV = f.dSdV;
    }
    return !(checkStability && p.side.dPdV > 0.0);
}

// The trial (T, Vl, Vv) stored in the fluid and both phases evaluated: F0 = fl - fv and
// F1 = Pl - Pv (+ the imposed offset, so that Pv - Pl = deltaP). False when the trial is
// rejected; F is then incomplete.
bool coexistence(FluidPhase& f, double TK, double Vliquid, double Vvapour, bool withEntropy,
                 bool checkLiquid, double* F, CoexistingPhase& l, CoexistingPhase& v) {
    f.temperature(TK);
    f.Vl = Vliquid;
    f.Vv = Vvapour;
    if (TK < 0.0 || Vliquid < 0.0 || Vvapour < 0.0 ||
        std::fabs(Vliquid - Vvapour) / Vliquid < 1e-5 || Vliquid > Vvapour ||
        !majorComponentUsable(f))
        return false;
    if (!evaluatePhase(f, 2, Vliquid, TK, withEntropy, checkLiquid, l)) return false;
    if (!evaluatePhase(f, 1, Vvapour, TK, withEntropy, true, v)) return false;
    double Pliquid = l.side.P, Pvapour = v.side.P;
    if (!addCapillaryPressure(f, Vliquid, Vvapour, Pliquid, Pvapour)) return false;
    F[0] = l.side.f - v.side.f;
    F[1] = Pliquid - Pvapour;
    if (f.deltaP != 0.0) F[1] += f.deltaP;
    f.Pl = Pliquid;
    f.Pv = Pvapour;
    return true;
}

// Binds the residual with as many unknowns as starting values and solves; the error flag
// says whether it converged. Returns the solver's code.
int solveFrom(FluidPhase& f, EquationSystem system, std::initializer_list<double> start) {
    f.error = 0;
    Newton& solver = bindSaturationSystem(f, system, static_cast<int>(start.size()));
    int i = 0;
    for (double value : start) {
        solver.x[i] = solver.x0[i] = value;
        ++i;
    }
    solver.steptol = 1e-8;
    solver.verbose = 0;
    // With a temperature among the unknowns the residual measure of the saturation solves
    // sits below the rounding of the phase pressures; this one is still far from 1e-11.
    solver.tolerance = 1e-13;
    const int code = solver.solve();
    f.error = code != 0 ? 1 : 0;
    return code;
}

}  // namespace

// ------------------------------------------------------------------- residuals

void FluidPhase::equationForLiquidTh(double* xv, double* F, double** J, int& err, int order,
                                     void*) {
    CoexistingPhase l{}, v{};
    if (!coexistence(*this, xv[0], Vl, xv[1], false, true, F, l, v)) {
        err = 1;
        return;
    }
    if (order < 1) return;
    J[0][0] = l.dfdT_V - v.dfdT_V;
    J[0][1] = -v.side.dfdV;
    J[1][0] = l.dPdT_V - v.dPdT_V;
    J[1][1] = -v.side.dPdV;
}

void FluidPhase::equationForGasTh(double* xv, double* F, double** J, int& err, int order, void*) {
    CoexistingPhase l{}, v{};
    // Only the vapour is held to mechanical stability here.
    if (!coexistence(*this, xv[0], xv[1], Vv, false, false, F, l, v)) {
        err = 1;
        return;
    }
    if (order < 1) return;
    J[0][0] = l.dfdT_V - v.dfdT_V;
    J[0][1] = l.side.dfdV;
    J[1][0] = l.dPdT_V - v.dPdT_V;
    J[1][1] = l.side.dPdV;
}

namespace {

// The entropy residuals: the coexistence in (T, Vl, Vv) and F2 = S - S* of the liquid
// (liquid = true) or of the vapour.
void saturationFromEntropy(FluidPhase& f, bool liquid, const double* xv, double* F, double** J,
                           int& err, int order) {
    CoexistingPhase l{}, v{};
    if (!coexistence(f, xv[0], xv[1], xv[2], true, true, F, l, v)) {
        err = 1;
        return;
    }
    const CoexistingPhase& held = liquid ? l : v;
    F[2] = held.S - f.Sstar;
    if (order < 1) return;
    J[0][0] = l.dfdT_V - v.dfdT_V;
    J[0][1] = l.side.dfdV;
    J[0][2] = -v.side.dfdV;
    J[1][0] = l.dPdT_V - v.dPdT_V;
    J[1][1] = l.side.dPdV;
    J[1][2] = -v.side.dPdV;
    J[2][0] = held.dSdT;
    J[2][1] = liquid ? l.dSdV : 0.0;
    J[2][2] = liquid ? 0.0 : v.dSdV;
}

}  // namespace

void FluidPhase::equationForLiquidSaturationFromS(double* xv, double* F, double** J, int& err,
                                                  int order, void*) {
    saturationFromEntropy(*this, true, xv, F, J, err, order);
}

void FluidPhase::equationForGasSaturationFromS(double* xv, double* F, double** J, int& err,
                                               int order, void*) {
    saturationFromEntropy(*this, false, xv, F, J, err, order);
}

// ---------------------------------------------------------------------- solves

namespace {

const char* homogenisationInto(bool liquid) {
    return liquid ? "Liquid" : "Gas";
}

int refuseHomogenisation(FluidPhase& f, double Vm3, bool liquid, const char* why) {
    vornex::cfprintf(stderr, "%s homogenisation at %g cm3/mol: %s\n", homogenisationInto(liquid),
                     Vm3 * 1e6, why);
    f.forgetSaturation();
    f.error = 1;
    return 1;
}

bool holdsOneComponent(const FluidPhase& f) {
    return f.nc == 1 || componentAlone(f) >= 0;
}

// Whether the coexistence is the fluid's own saturation: not one held apart by an imposed
// offset or a curved interface, and of one component.
bool plainSaturation(const FluidPhase& f) {
    return f.deltaP == 0.0 && f.deltaT == 0.0 && f.capillaryMode == 0 && holdsOneComponent(f);
}

// Whether the pair the Newton solve converged to is the fluid's own saturation at its
// temperature, whose liquid (vapour) has the volume held. From a start far off the solve
// finds other pairs of equal pressure and fugacity: Jacobsen's nitrogen took the saturated
// liquid of 122.1 K, 56.9 cm3/mol, to a pair at 91.2 K, where its saturated liquid has 36.
// Nor is a temperature below the triple point, where the solid is stable, or one where the
// saturated liquid shrinks on heating (the vapour grows), which heating does not end at: a
// curve that folds back takes the volume again higher up (Anderko-Pitzer's carbon dioxide,
// from a start next to its triple point, gave 195.35 K for the liquid saturated at 279.64 K,
// and 220.62 K for that of 229.96 K). The fluid is left as the solve left it, its pressure
// too: the check's saturation 1e-5 below had been left as the homogenisation pressure
// (IAPWS-95 steam of 389.83 cm3/mol: 85.9439 bar for the 85.9508 bar of its 573.209 K).
bool solvedOnOwnSaturation(FluidPhase& f, double Vm3, bool liquid) {
    const double TK = f.T, Vliquid = f.Vl, Vvapour = f.Vv, Pliquid = f.Pl, Pvapour = f.Pv;
    const double pressure = f.P, volume = f.V;
    const int selector = f.phase;
    bool own = !(f.Ttriple > 0.0 && TK < f.Ttriple);
    double Psat = own ? f.calculateTheSaturationPressure(TK) : 0.0;
    own = own && f.error == 0 && Psat > 0.0;
    const double Vat = liquid ? f.Vl : f.Vv;
    own = own && std::fabs(Vat / Vm3 - 1.0) < 1e-4;
    if (own) {
        Psat = f.calculateTheSaturationPressure(TK * (1.0 - 1e-5));
        const double Vbelow = liquid ? f.Vl : f.Vv;
        own = f.error != 0 || !(Psat > 0.0) || (liquid ? Vbelow < Vat : Vbelow > Vat);
    }
    f.set_the_phase_as(selector);
    f.temperature(TK);
    f.Vl = Vliquid;
    f.Vv = Vvapour;
    f.Pl = Pliquid;
    f.Pv = Pvapour;
    f.P = pressure;
    f.V = volume;
    f.error = 0;
    return own;
}

}  // namespace

int FluidPhase::solveTh(double Vm3, bool liquid) {
    const int selector = phase;
    (liquid ? Vl : Vv) = Vm3;
    const EquationSystem system =
        liquid ? static_cast<EquationSystem>(&FluidPhase::equationForLiquidTh)
               : static_cast<EquationSystem>(&FluidPhase::equationForGasTh);
    int code = solveFrom(*this, system, {T, liquid ? Vv0 : Vl0});
    if (code == 0) {
        temperature(systemSolver->x[0]);
        (liquid ? Vv : Vl) = systemSolver->x[1];
        set_the_phase_as(selector);
        if (plainSaturation(*this) && !solvedOnOwnSaturation(*this, Vm3, liquid)) code = 1;
    }
    if (code != 0) {
        forgetSaturation();
        error = 1;
    }
    set_the_phase_as(selector);
    return code;
}

namespace {

// The Newton solve from the caller's start; where it fails, a pure fluid's own saturation.
int homogenise(FluidPhase& f, double Vm3, bool liquid) {
    if (!(Vm3 > 0.0) || !std::isfinite(Vm3))
        return refuseHomogenisation(f, Vm3, liquid, "the molar volume must be positive");
    const int code = f.solveTh(Vm3, liquid);
    if (code == 0) return 0;
    if (!plainSaturation(f)) {
        refuseHomogenisation(f, Vm3, liquid, "the coexistence solve did not converge");
        return code;
    }
    if (f.homogeniseOnOwnSaturation(Vm3, liquid) == 0) return 0;
    return code;
}

// The highest temperature in [lo, hi] where excess(T) <= 0, excess(hi) = eHi > 0: in 64
// steps down from hi, with a golden-section search for the least excess wherever it turns up
// on the way. True with [lo, hi] a bracket of the crossing (excess(lo) <= 0 < excess(hi)).
bool walkDownTheCurve(const std::function<double(double)>& excess, double& lo, double& hi,
                      double eHi) {
    const double top = hi, span = hi - lo;
    double T1 = hi, e1 = eHi, T2 = hi;  // the last two temperatures walked, T1 below T2
    for (int k = 1; k <= 64; ++k) {
        const double TK = top - span * k / 64.0, e = excess(TK);
        if (e <= 0.0) {
            lo = TK, hi = T1;
            return true;
        }
        if (e > e1) {
            constexpr double kGolden = 0.6180339887498949;
            double a = TK, b = T2;
            double c = b - kGolden * (b - a), d = a + kGolden * (b - a);
            double ec = excess(c), ed = excess(d);
            for (int it = 0; it < 60 && b - a > 1e-10 * b && ec > 0.0 && ed > 0.0; ++it) {
                if (ec < ed) {
                    b = d, d = c, ed = ec;
                    c = b - kGolden * (b - a);
                    ec = excess(c);
                } else {
                    a = c, c = d, ec = ed;
                    d = a + kGolden * (b - a);
                    ed = excess(d);
                }
            }
            if (ed <= 0.0) {
                lo = d, hi = T2;
                return true;
            }
            if (ec <= 0.0) {
                lo = c, hi = T2;
                return true;
            }
        }
        T2 = T1;
        T1 = TK, e1 = e;
    }
    return false;
}

}  // namespace

int FluidPhase::calculateLiquidTh(double Vm3) {
    return homogenise(*this, Vm3, true);
}

int FluidPhase::calculateGasTh(double Vm3) {
    return homogenise(*this, Vm3, false);
}

// The Newton solve in (T, other volume) misses where its start lies off the model's curve
// (correlations of the real fluid for a model whose critical point lies elsewhere, or no
// start at all), near the triple point, where the liquid's pressure moves by more than the
// vapour pressure in the last bits of its volume, and near the critical point, where the two
// volumes draw together. The saturation at a temperature is found there all the same, and its
// liquid's volume rises (the vapour's falls) with the temperature: a bisection cannot miss.
int FluidPhase::homogeniseOnOwnSaturation(double Vm3, bool liquid) {
    if (!(Vm3 > 0.0) || !std::isfinite(Vm3))
        return refuseHomogenisation(*this, Vm3, liquid, "the molar volume must be positive");
    if (!holdsOneComponent(*this))
        return refuseHomogenisation(*this, Vm3, liquid,
                                    "a mixture has no saturation curve of its own");
    const int selector = phase;
    auto saturates = [&](double TK) {
        const double p = calculateTheSaturationPressure(TK);
        return error == 0 && std::isfinite(p) && p > 0.0;
    };
    // The saturated phase's volume less Vm3 (the vapour's the other way round): rising with
    // T; NaN where the model has no saturation.
    auto excess = [&](double TK) {
        if (!saturates(TK)) return std::nan("");
        return liquid ? Vl - Vm3 : Vm3 - Vv;
    };
    // An end of the curve: where `from` has no saturation, the first temperature in from it
    // that has, to the width of a halving.
    auto end = [&](double from, double towards) {
        if (saturates(from)) return from;
        double out = from, in = towards;
        for (int k = 1; k < 64; ++k) {
            const double TK = from + (towards - from) * k / 64.0;
            if (saturates(TK)) {
                in = TK;
                break;
            }
            out = TK;
        }
        for (int it = 0; it < 30; ++it) {
            const double mid = 0.5 * (out + in);
            (saturates(mid) ? in : out) = mid;
        }
        return in;
    };
    const double Tc = namingCriticalTemperature();
    // Without a known triple point the curve is looked for from below every fluid's here
    // (water's lies at 0.42 Tc, methane's at 0.48).
    const double Tcold = Ttriple > 0.0 ? Ttriple : std::fmin(Tlowest, 0.4 * Tc);
    const char* why = nullptr;
    double lo = 0.0, hi = 0.0, eHi = std::nan("");
    if (!(Tc > Tcold) || !(Tcold > 0.0)) {
        why = "the model has no critical point of its own above its triple point";
    } else {
        hi = end(Tc * (1.0 - 1e-7), Tcold);
        lo = end(Tcold, hi);
        eHi = excess(hi);
        if (!(lo < hi) || !std::isfinite(eHi))
            why = "the model has no saturation curve";
        else if (eHi < 0.0)
            why = liquid ? "no saturated liquid is that dilute (it homogenises into its vapour)"
                         : "no saturated vapour is that dense (it homogenises into its liquid)";
    }
    if (why == nullptr) {
        // Where the cold end is beyond the volume already, the curve is walked down from its
        // critical end for the highest temperature short of the volume, the Th that heating
        // reaches: water's saturated liquid shrinks up to 4 degC, Anderko-Pitzer's carbon
        // dioxide's up to 225 K, and Kreglewski's decane's jumps below 257 K to one of 440
        // cm3/mol (no liquid). Where the excess turns up on the way down, its least in
        // between is looked for too.
        // No saturation counts as beyond the volume.
        auto beyondWithout = [&](double TK) {
            const double e = excess(TK);
            return std::isfinite(e) ? e : HUGE_VAL;
        };
        if (!(excess(lo) <= 0.0) && !walkDownTheCurve(beyondWithout, lo, hi, eHi))
            why =
                liquid ? "no saturated liquid is that dense" : "no saturated vapour is that dilute";
    }
    for (int it = 0; why == nullptr && it < 100 && hi - lo > 1e-10 * hi; ++it) {
        const double mid = 0.5 * (lo + hi), e = excess(mid);
        if (!std::isfinite(e)) why = "the saturation solve failed inside the curve";
        (e < 0.0 ? lo : hi) = mid;
    }
    const double Th = 0.5 * (lo + hi);
    const double missed = why == nullptr ? excess(Th) : 0.0;
    // The bisection closes on a jump of the curve as on a crossing: where the solve changes
    // branch (HGK's liquid jumps by 3 % at 646.682 K) no saturated phase holds the volume.
    // Within 1e-4 K of the critical point the curve is so steep that the last bracket still
    // misses by some 1e-6.
    constexpr double kVolumeTolerance = 1e-4;  // relative
    if (why == nullptr && !std::isfinite(missed))
        why = "the saturation solve failed inside the curve";
    else if (why == nullptr && std::fabs(missed) > kVolumeTolerance * Vm3)
        why = "the saturation curve jumps across the volume (its solve changes branch there)";
    set_the_phase_as(selector);
    if (why != nullptr) return refuseHomogenisation(*this, Vm3, liquid, why);
    // The coexistence at the temperature found, the phase's volume the one asked for.
    temperature(Th);
    (liquid ? Vl : Vv) = Vm3;
    error = 0;
    return 0;
}

namespace {

// The solved saturation (T, Vl, Vv) set in the fluid, with one phase evaluated in full.
void settleSaturation(FluidPhase& f, int selector) {
    const double* x = f.systemSolver->x;
    f.temperature(x[0]);
    f.Vl = x[1];
    f.Vv = x[2];
    f.set_the_phase_as(selector);
    f.volume(selector == 2 ? f.Vl : f.Vv);
    f.calculate_fugacities();
    f.calculate_state_functions();
    f.error = 0;
}

}  // namespace

int FluidPhase::calculateLiquidSaturationFromEntropy(double entropy) {
    Sstar = entropy;
    const int code =
        solveFrom(*this, static_cast<EquationSystem>(&FluidPhase::equationForLiquidSaturationFromS),
                  {T, Vl0, Vv0});
    if (code == 0)
        settleSaturation(*this, 2);
    else
        forgetSaturation();
    return code;
}

int FluidPhase::calculateGasSaturationFromEntropy(double entropy) {
    Sstar = entropy;
    const int code =
        solveFrom(*this, static_cast<EquationSystem>(&FluidPhase::equationForGasSaturationFromS),
                  {T, Vl0, Vv0});
    if (code == 0)
        settleSaturation(*this, 1);
    else
        forgetSaturation();
    return code;
}

void FluidPhase::calculateTheDensityFromTh(double Th) {
    // The inclusion homogenises into its liquid: its density is the saturated liquid one, on
    // the model's own curve, which correlations of the real fluid miss for a model whose
    // critical point lies elsewhere.
    const char* why = nullptr;
    double Psat = std::nan("");
    if (!(Th > 0.0) || !std::isfinite(Th))
        why = "is not a temperature";
    else if (holdsOneComponent(*this) && Ttriple > 0.0 && Th < Ttriple)
        why = "lies below the triple point, where no liquid homogenises";
    else if (Psat = calculateTheSaturationPressure(Th); error != 0 || !(Psat > 0.0))
        why = "has no saturated liquid of the model";
    if (why != nullptr) {
        vornex::cfprintf(stderr, "Density from Th: %g K %s\n", Th, why);
        forgetSaturation();
        error = 1;
        return;
    }
    vornex::cprintf("V : %12.2f cm3/mol\t\trho : %12.2f kg/m3\t\tP : %12.2f bar\n", Vl * 1e6,
                    M / Vl, Psat * 1e-5);
}

}  // namespace vornex

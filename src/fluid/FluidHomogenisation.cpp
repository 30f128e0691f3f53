// Saturation states fixed by something other than T or P: the homogenisation temperature
// Th of a fluid of known molar volume (a fluid inclusion whose liquid, or vapour, fills it
// at Th), the density of a fluid from its Th, and the saturated liquid or vapour of a given
// molar entropy (the boiling and condensation points of isentropic paths). Each is the
// liquid-vapour coexistence (equal fugacity of the major component, equal pressure) with one
// volume held, or with one more equation, solved on the fluid's Newton solver.
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/SaturationSolver.h"

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

int FluidPhase::calculateLiquidTh(double Vm3) {
    const int selector = phase;
    Vl = Vm3;
    const int code =
        solveFrom(*this, static_cast<EquationSystem>(&FluidPhase::equationForLiquidTh), {T, Vv0});
    if (code == 0) {
        temperature(systemSolver->x[0]);
        Vv = systemSolver->x[1];
    } else {
        forgetSaturation();
    }
    set_the_phase_as(selector);
    return code;
}

int FluidPhase::calculateGasTh(double Vm3) {
    const int selector = phase;
    Vv = Vm3;
    const int code =
        solveFrom(*this, static_cast<EquationSystem>(&FluidPhase::equationForGasTh), {T, Vl0});
    if (code == 0) {
        temperature(systemSolver->x[0]);
        Vl = systemSolver->x[1];
    } else {
        forgetSaturation();
    }
    set_the_phase_as(selector);
    return code;
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
    temperature(Th);
    const int major = getMajorComponentIndex();
    if (major < static_cast<int>(componentName.size()))
        initializeSaturationVolumesFromT(componentName[major].c_str(), Th);
    calculate_saturation_pressure();
    if (error) return;
    // The inclusion homogenises into its liquid: its density is the saturated liquid one.
    vornex::cprintf("V : %12.2f cm3/mol\t\trho : %12.2f kg/m3\t\tP : %12.2f bar\n", Vl * 1e6, M / Vl,
                P * 1e-5);
}

}  // namespace vornex

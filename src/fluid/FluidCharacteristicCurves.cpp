// Characteristic curves of a fluid in the T-V plane: at each temperature the molar volume at
// which one property of the state vanishes. Joule-Thomson inversion (mu_JT = 0), Boyle
// (dZ/dV = 0 at constant T), ideal (Z = 1) and Joule (dZ/dT = 0 at constant V) curves.

#include <cmath>
#include <cstdio>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "numerics/Decimal.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {

// Which quantity of the state functions a residual returns.
using Vanishing = double (*)(const FluidPhase&);

// mu_JT = (T (dV/dT)_P - V) / Cp: its numerator vanishes with it, and is had without the
// heat capacity, which a model without an ideal-gas part does not give. Relative to V it has
// a pole where the isotherm flattens (dP/dV = 0, at the spinodals), whose change of sign a
// secant takes for a root: the curve is solved for T (dP/dT)_V + V (dP/dV)_T instead, over
// the sum of the terms' sizes (of the same sign where dP/dV < 0, bounded, and scaled, so
// that deep inside the repulsive wall at 1e28 bar no tiny difference passes for a root).
// The ratio serves to tell a curve's end on the pole from one where no root is.
double jouleThomsonOf(const FluidPhase& f) {
    return f.T * f.dVdT / f.V - 1.0;
}
double jouleThomsonPoleFreeOf(const FluidPhase& f) {
    const double a = f.T * f.dPdT, b = f.V * f.dPdV;
    return (a + b) / (std::fabs(a) + std::fabs(b));
}
double dZdVOf(const FluidPhase& f) {
    return f.dZdV;
}
double idealDeviationOf(const FluidPhase& f) {
    return f.Z - 1.0;
}
double dZdTOf(const FluidPhase& f) {
    return f.dZdT;
}

// The secant's test is on its step alone (1e-9 m3/mol, a part in 1e4 of a liquid's volume):
// where a curve turns back in T its steps shrink on a residual far from zero. A root is
// within this share of its volume of where the residual's tangent vanishes.
constexpr double kRootVolumeShare = 1e-4;

double vanishingAt(FluidPhase& fluid, double Vm3, Vanishing quantity);

// Whether the quantity at V vanishes: its Newton step from V is within kRootVolumeShare of
// V. Leaves the fluid at V with its state functions.
bool vanishesAt(FluidPhase& fluid, double Vm3, Vanishing quantity) {
    constexpr double h = 1e-6;
    const int16_t flagged = fluid.equationError;
    fluid.equationError = 0;
    const double qh = vanishingAt(fluid, Vm3 * (1.0 + h), quantity);
    const double q = vanishingAt(fluid, Vm3, quantity);
    const bool evaluated = fluid.equationError == 0;
    fluid.equationError = flagged;
    const double slope = (qh - q) / (h * Vm3);
    return evaluated && std::isfinite(q) && std::isfinite(slope) &&
           std::fabs(q) <= kRootVolumeShare * Vm3 * std::fabs(slope);
}

// One state at (T, V) and the quantity; a state the model cannot evaluate raises the
// Equation flag so that the solver steps back, and leaves the phase flag as it was.
double vanishingAt(FluidPhase& fluid, double Vm3, Vanishing quantity) {
    const int16_t before = fluid.error;
    fluid.error = 0;
    fluid.volume(Vm3);
    fluid.calculate_state_functions();
    const double q = quantity(fluid);
    if (fluid.error != 0 || !std::isfinite(q)) fluid.equationError = 1;
    fluid.error = before;
    return q;
}

// Whether a one-component fluid at T holds no uniform state at V: between the spinodals
// reached from its saturated phases. A multi-parameter equation's loops there give stretches
// of falling pressure on which the properties vanish too, at volumes of no fluid. Leaves the
// fluid at T and V with its state functions.
bool betweenSpinodals(FluidPhase& fluid, double TK, double Vm3) {
    const int16_t before = fluid.error;
    bool unstable = false;
    if (insideSaturationDome(fluid, TK, Vm3)) unstable = twoPhaseBandAt(fluid, TK).unstable(Vm3);
    fluid.temperature(TK);
    fluid.volume(Vm3);
    fluid.error = before;
    fluid.calculate_state_functions();
    return unstable;
}

// What a curve is: the quantity that vanishes on it, the form of it that the secant solves
// (residual) and a root is checked in (root): the quantity itself where it has no pole.
struct CurveKind {
    const char* name;
    EquationFunction residual;
    Vanishing quantity;
    Vanishing root;
};

// Secant from V0 and 1.00001 V0 at T; the phase flag says whether it converged, and the
// result is why not (nullptr for a root). A root where the isotherm rises (dP/dV >= 0) is no
// state of the fluid: far outside its range an equation of state can have the property
// vanish there at pressures of millions of bar, and a curve must not step onto such a branch.
const char* solvePoint(FluidPhase& fluid, double TK, double V0, const CurveKind& kind) {
    fluid.temperature(TK);
    // The search evaluates the terms alone, which take any fractions: without a mixture's
    // fractions the start volume itself passed for a root.
    if (!fluid.compositionIsAMixture()) {
        fluid.error = 1;
        return "the mole fractions make no mixture";
    }
    Secant solver;
    solver.equation = &fluid;
    solver.function = kind.residual;
    solver.x0 = V0;
    solver.x1 = 1.00001 * V0;
    fluid.error = 0;
    solver.solve();
    const char* why = nullptr;
    if (solver.error != 0) {
        why = "the root search does not converge";
    } else {
        fluid.volume(solver.x1);
        fluid.calculate_state_functions();
        const int16_t functions = fluid.error;
        // A volume whose fugacities the model refuses (deep in the hard core, at a million
        // bar) is no state of it, whatever its state functions give.
        fluid.calculate_fugacities();
        if (functions != 0 || fluid.error != 0 || !std::isfinite(fluid.P))
            why = "the model gives no state there";
        else if (!(fluid.dPdV < 0.0))
            why = "the isotherm rises there, beyond a spinodal";
        else if (!vanishesAt(fluid, solver.x1, kind.root))
            why = kind.root != kind.quantity && vanishesAt(fluid, solver.x1, kind.quantity)
                      ? "the isotherm flattens there towards its spinodal, where the quantity "
                        "has a pole and no root"
                      : "the quantity does not vanish there";
        else if (betweenSpinodals(fluid, TK, solver.x1))
            why = "the root lies between the spinodals, where no uniform fluid is";
    }
    if (why != nullptr) fluid.error = 1;
    return why;
}

const CurveKind kJouleThomsonInversion = {
    "Joule-Thomson inversion",
    static_cast<EquationFunction>(&FluidPhase::equationForJouleThomsonInversionTemperature),
    jouleThomsonOf, jouleThomsonPoleFreeOf};
const CurveKind kBoyle = {"Boyle", static_cast<EquationFunction>(&FluidPhase::equationForBoylePoint),
                          dZdVOf, dZdVOf};
const CurveKind kIdeal = {"ideal", static_cast<EquationFunction>(&FluidPhase::equationForIdealPoint),
                          idealDeviationOf, idealDeviationOf};
const CurveKind kJoule = {"Joule", static_cast<EquationFunction>(&FluidPhase::equationForJoulePoint),
                          dZdTOf, dZdTOf};

// A curve never takes more steps than this, whatever the step and the range.
constexpr int kMaxCurveSteps = 100000;

// Where a curve runs off to infinite volume (the inversion curve at its zero-pressure end),
// the secant can stop on the flat tail of the residual, where every state is nearly ideal,
// at volumes of 1e14 cm3/mol and more: a point that far from the volume it started from is
// no point of the curve.
constexpr double kRunawayVolumeRatio = 10.0;

// The tracer shared by the four curves. After a failed point the step is halved and the
// point is tried again from the last good point, down to a hundredth of the step.
void traceCurve(FluidPhase& fluid, const CurveKind& kind, const char* path, double T0, double V0,
                double dT, double Tmin, double Tmax, char igor, const char* suffix) {
    // The suffix only names the columns, but a name that could not be read back is refused
    // before anything is written.
    CurveOutput out(igor == kIgorText ? kIgorText : kColumnTable);
    if (path == nullptr || (suffix != nullptr && !OutputFiles::checkSuffix(suffix)) ||
        !out.open(path)) {
        fluid.error = 1;
        return;
    }
    out.print(out.isIgor() ? "IGOR\nWAVES " : "# ");
    // Igor text needs wave names; numbered column titles serve the table only.
    if (suffix != nullptr || out.isIgor()) {
        const char* s = suffix == nullptr ? "" : suffix;
        out.print(" %11s%s %13s%s %13s%s \n", "T", s, "V", s, "P", s);
    } else {
        out.print(" %11s %13s %13s\n", "T(1)", "V(2)", "P(3)");
    }
    if (out.isIgor()) out.print("BEGIN\n");
    auto writeRow = [&] { out.print("%12f %12f %12f\n", fluid.T, fluid.V * 1e6, fluid.P * 1e-5); };

    const char* why = nullptr;
    auto solveAt = [&](double TK, double Vstart) {
        why = solvePoint(fluid, TK, Vstart, kind);
        if (why == nullptr && !(std::fabs(fluid.V) <= kRunawayVolumeRatio * std::fabs(Vstart))) {
            why = "the volume runs off towards infinity";
            fluid.error = 1;
        }
    };
    solveAt(T0, V0);
    // A first point that did not converge is no point of the curve.
    const bool started = fluid.error == 0;
    if (started)
        writeRow();
    else
        cfprintf(stderr, "The %s curve has no point at %.3f K from %.4f cm3/mol: %s\n", kind.name,
                 T0, V0 * 1e6, why);
    const bool canStep =
        std::isfinite(dT) && dT != 0.0 && std::isfinite(Tmin) && std::isfinite(Tmax);
    double Tlast = T0, Vlast = fluid.V, factor = 1.0;
    for (int step = 0; started && canStep && step < kMaxCurveSteps; ++step) {
        const double TK = Tlast + factor * dT;
        if (TK < Tmin || TK > Tmax) break;
        solveAt(TK, Vlast);
        if (fluid.error == 0) {
            writeRow();
            Tlast = TK;
            Vlast = fluid.V;
            continue;
        }
        if (factor <= 0.01) {
            cfprintf(stderr, "The %s curve ends at %.3f K, %.4f cm3/mol: one step on, %s\n", kind.name,
                     Tlast, Vlast * 1e6, why);
            break;
        }
        fluid.error = 0;
        factor *= 0.5;
    }
    if (out.isIgor()) out.print("END\n");
    const int16_t traced = fluid.error;
    if (!out.close() || !started) fluid.error = 1;
    if (traced) fluid.error = 1;
}

}  // namespace

double FluidPhase::equationForJouleThomsonInversionTemperature(double Vm3, void*) {
    return vanishingAt(*this, Vm3, jouleThomsonPoleFreeOf);
}

double FluidPhase::equationForBoylePoint(double Vm3, void*) {
    return vanishingAt(*this, Vm3, dZdVOf);
}

double FluidPhase::equationForIdealPoint(double Vm3, void*) {
    return vanishingAt(*this, Vm3, idealDeviationOf);
}

double FluidPhase::equationForJoulePoint(double Vm3, void*) {
    return vanishingAt(*this, Vm3, dZdTOf);
}

void FluidPhase::calculateJouleThomsonInversionTemperature(double TK, double V0) {
    solvePoint(*this, TK, V0, kJouleThomsonInversion);
}

void FluidPhase::calculateBoylePoint(double TK, double V0) {
    solvePoint(*this, TK, V0, kBoyle);
}

void FluidPhase::calculateIdealPoint(double TK, double V0) {
    solvePoint(*this, TK, V0, kIdeal);
}

void FluidPhase::calculateJoulePoint(double TK, double V0) {
    solvePoint(*this, TK, V0, kJoule);
}

void FluidPhase::calculateJouleThomsonInversionCurve(const char* path, double T0, double V0,
                                                     double dT, double Tmin, double Tmax, char igor,
                                                     const char* suffix) {
    traceCurve(*this, kJouleThomsonInversion, path, T0, V0, dT,
               Tmin, Tmax, igor, suffix);
}

void FluidPhase::calculateBoyleCurve(const char* path, double T0, double V0, double dT, double Tmin,
                                     double Tmax, char igor, const char* suffix) {
    traceCurve(*this, kBoyle, path, T0, V0, dT, Tmin, Tmax, igor, suffix);
}

void FluidPhase::calculateIdealCurve(const char* path, double T0, double V0, double dT, double Tmin,
                                     double Tmax, char igor, const char* suffix) {
    traceCurve(*this, kIdeal, path, T0, V0, dT, Tmin, Tmax, igor, suffix);
}

void FluidPhase::calculateJouleCurve(const char* path, double T0, double V0, double dT, double Tmin,
                                     double Tmax, char igor, const char* suffix) {
    traceCurve(*this, kJoule, path, T0, V0, dT, Tmin, Tmax, igor, suffix);
}

}  // namespace vornex

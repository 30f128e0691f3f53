// Shared steps of the binary searches in model parameters (G4, tricritical, double and step
// points): setting a binary composition, the Secant records they create per solve, and the
// checked start of a curve traced in a second parameter.
#pragma once

#include <cmath>
#include <cstdio>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "numerics/Solver.h"

namespace vornex {

inline void setBinaryComposition(FluidPhase& fluid, double x1) {
    fluid.composition_of_component(0, 1.0 - x1);
    fluid.composition_of_component(1, x1);
}

// A Secant on one of the fluid's callbacks from (x0, x1), relaxation starting at 1.
inline Secant makeSecant(FluidPhase& f, EquationFunction function, double x0, double x1,
                         int itermax, double tolerance, double minrelaxation) {
    Secant s;
    s.equation = &f;
    s.function = function;
    s.x0 = x0;
    s.x1 = x1;
    s.itermax = itermax;
    s.tolerance = tolerance;
    s.relaxation = 1.0;
    s.minrelaxation = minrelaxation;
    return s;
}

// The fluid's state (T, V, x1) as the one the next search starts from.
inline void keepSearchState(FluidPhase& f) {
    f.searchT = f.T;
    f.searchV = f.V;
    f.searchX1 = f.x[1];
}

// The fluid put back to the state the last search started from.
inline void returnToSearchState(FluidPhase& f) {
    f.temperature(f.searchT);
    f.volume(f.searchV);
    setBinaryComposition(f, f.searchX1);
}

// Stores the state (T, V, x1) and both parameters as the search state and sets the first
// parameter. False, with a message and the error flag, for a fluid that is not binary or a
// step that is zero or not finite (the curve would repeat one point or run off).
inline bool startParameterCurve(FluidPhase& f, const char* what, int index1, int index2,
                                double par1, double par2, double step) {
    if (f.nc != 2 || !(step != 0.0) || !std::isfinite(step)) {
        vornex::cfprintf(stderr, "%s: a binary fluid and a finite non-zero step are needed\n", what);
        f.error = 1;
        return false;
    }
    keepSearchState(f);
    f.parameterIndex1 = index1;
    f.parameterIndex2 = index2;
    f.parameter1 = f.storedParameter1 = par1;
    f.parameter2 = par2;
    f.set_model_parameter(index1, par1);
    return true;
}

}  // namespace vornex

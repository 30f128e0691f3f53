// Newton-Raphson solver for one unknown, f(x) = 0, on a callback that gives f and df/dx.
//
// Relaxed Newton steps (the step is halved while the evaluation at the trial point fails,
// down to 1/512 of the full step); the smallest positive and largest negative values of f
// seen are kept, and when the Newton iteration fails with both known it falls back to
// bisection between them. Error codes: 0 converged; 1 iteration limit; 2 x below xmin;
// 3 x above xmax; 4 the callback raised the Equation flag or gave a value that is not
// finite; 5 |f| grew; 6 f' changed sign (5 and 6 only with checks on).
#pragma once

#include <cstdint>

#include "numerics/Equation.h"

namespace vornex {

struct NewtonRaphson {
    Equation* equation = nullptr;
    EquationFunctionWithDerivative function = nullptr;
    double x0 = 0.0;  // starting point, then the previous iterate
    double x1 = 0.0;  // current iterate; the result
    double f0 = 0.0;
    double f1 = 0.0;
    double df0 = 0.0;
    double df1 = 0.0;
    double xpos = 0.0;  // x of the smallest positive f seen (0: none)
    double fpos = 0.0;
    double xneg = 0.0;  // x of the largest negative f seen (0: none)
    double fneg = 0.0;
    int32_t iterations = 0;
    int32_t itermax = 15;
    int16_t error = 0;
    double tolerance = 1e-9;  // converged when |x1 - x0| < tolerance * max(1, x0)
    int16_t verbose = 0;
    int16_t bounded = 0;
    double xmin = -1e15;
    double xmax = 1e15;
    double relaxation = 1.0;  // first fraction of the Newton step tried
    int16_t checks = 0;       // non-zero: growth of |f| and a sign change of f' fail

    // The root x1, or a quiet NaN when the evaluation at x0 fails (error 2, 3 or 4).
    double solve();
    // One evaluation at x1 into f1 and df1, setting error.
    void calculate();
    // 0: go on; otherwise stop (1 converged or out of iterations, else the error code).
    int16_t convergence();
    // Writes n + 1 lines "x f(x)" for x from a to b to the file "nr", which replaces only a
    // file this system wrote there. False, with the reason on standard error, when it was
    // not written.
    bool plot(double a, double b, int n);
    // Prints f'(x) of the callback beside the central difference with step h.
    void check_derivatives(double x, double h);

   private:
    void newtonStep();
    void bisectBracket();
    void recordSign();
};

}  // namespace vornex

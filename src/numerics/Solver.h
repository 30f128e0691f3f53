// One-dimensional root finders for f(x) = 0 on a member-function callback of an Equation.
//
// A caller fills a record (callback, two starting points, limits, tolerances), calls
// solve() and tests the record's error code:
//   0 converged
//   1 iteration limit exceeded (Bolzano, SecDic: also no sign change between the ends)
//   2 a trial x below xmin (bounded records only)
//   3 a trial x above xmax (bounded records only)
//   4 the callback raised the Equation error flag or returned a value that is not finite
//     (Muller, SecMul: also no sign change between the ends)
//   5 the residual grew (Secant, SecDic, SecMul with the growth check on)
// Convergence everywhere: |b - a| < tolerance * max(1, |a|) for the two current points.
#pragma once

#include <cstdint>

#include "numerics/Equation.h"

namespace vornex {

// The fields every method shares. A plain record: callers create it, set the fields they
// need after these defaults, call solve() once or several times and delete it.
struct Solver {
    Equation* equation = nullptr;
    EquationFunction function = nullptr;
    void* context = nullptr;  // handed to every call of function
    double x0 = 0.0;          // first start (a bracket end); updated during the solve
    double x1 = 0.0;          // second start (the other end); updated during the solve
    int32_t iterations = 0;
    int32_t itermax = 100;
    int16_t error = 0;
    double tolerance = 1e-9;  // relative step tolerance (absolute below |x| = 1)
    int16_t verbose = 0;      // non-zero: progress lines on standard output
    int16_t bounded = 0;      // non-zero: x outside [xmin, xmax] is rejected unevaluated
    double xmin = -1e15;
    double xmax = 1e15;
    int16_t steplimited = 0;  // Secant only: limit each step to maxstep
    double maxstep = 0.0;

    // The one evaluation all methods use: error 2 or 3 for a bounded x out of range (the
    // callback is not called), 4 when the callback raised its flag (the flag is lowered)
    // or f or x is not finite; 0 is returned with every error.
    double calcFunction(double x);

    // Writes x and f(x) at n + 1 points of [xmin, xmax] (geometric steps when logarithmic
    // is non-zero) to "solver.txt" and a gnuplot script "solver.gp", run only when
    // plotting is switched on (Gnuplot.h). The callback is called directly; its error flag
    // is lowered afterwards so that the next solve starts clean. Each file replaces only a
    // file this system wrote there. False, with the reason on standard error, when the range
    // cannot be drawn or a file was not written.
    bool plot(double xmin, double xmax, int n, char logarithmic);

   protected:
    bool converged(double a, double b) const;
    // Errors meaning the function was not evaluated at the accepted point: a converged
    // step must not turn them into success.
    bool evaluationFailed() const { return error == 2 || error == 3 || error == 4; }
    // After a step from a to b: true when the search is over, with error 0 when converged,
    // 1 at the iteration limit, or the error the step left.
    bool stepEnds(double a, double b);
    // Relaxed secant trial from (x0, fa) and (x1, fb) with relaxation lambda.
    double secantTrial(double lambda, double fa, double fb) const;
    // Bisection of the bracket [x0, x1] with fa = f(x0), fb = f(x1) of opposite signs.
    // withValue adds f at x1 to the progress line. Returns the last midpoint.
    double bisect(double& fa, double& fb, bool withValue);
    // Bisection mixed with inverse quadratic interpolation on the bracket [x0, x1].
    // Returns the last interpolation point.
    double mullerFrom(double fa, double fb, bool withValue);
    void progress(double a, double b, double fb, bool withValue) const;
};

// Relaxed secant with step halving: a failed or (with the growth check) worsening trial
// is retried with half the relaxation until it falls to minrelaxation.
struct Secant : Solver {
    double relaxation = 1.0;
    double minrelaxation = 0.01;
    double lastf = 0.0;  // f at the last accepted point
    int16_t growthcheck = 0;

    Secant() { itermax = 15; }
    // The root, left in x1 as well. On failure the last iterate (the point at which the
    // last evaluation was made) with the error code standing.
    double solve();
};

// Bracketing: bisection mixed with inverse quadratic interpolation. Needs a sign change
// between x0 and x1; without one returns 0 with error 4.
struct Muller : Solver {
    double solve();
};

// Plain bisection of [x0, x1]; without a sign change returns 0 with error 1.
struct Bolzano : Solver {
    double f0 = 0.0;  // f at x0
    double f1 = 0.0;  // f at x1
    double solve();
};

// Secant steps until a positive and a negative value of f have been found, then a
// bracketing method between the points that gave them.
struct SecantBracketing : Solver {
    double relaxation = 1.0;
    double minrelaxation = 0.01;
    double f0 = 0.0;    // f at x0
    double f1 = 0.0;    // f at x1
    double fpos = 0.0;  // smallest positive f found
    double fneg = 0.0;  // largest negative f found
    double xpos = 0.0;  // x of fpos
    double xneg = 0.0;  // x of fneg
    int16_t growthcheck = 0;

   protected:
    enum class Phase { Done, Bracketed };
    // Runs the secant phase. Bracketed: x0, x1, f0, f1 hold the bracket and error is 0.
    // Done: the solve is over (converged or failed); result holds the value to return.
    Phase searchBracket(bool closerAtStart, bool closerInLoop, int16_t noSignChange,
                        double& result);

   private:
    bool hasPos = false, hasNeg = false;
    void record(double x, double f, bool closer);
};

// Secant until the root is bracketed, then bisection (returns the last midpoint).
struct SecDic : SecantBracketing {
    double solve();
};

// Secant until the root is bracketed, then the Muller scheme (returns the last
// interpolation point).
struct SecMul : SecantBracketing {
    double solve();
};

}  // namespace vornex

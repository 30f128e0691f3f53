#include "numerics/Solver.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "numerics/AtomicFile.h"
#include "numerics/Diagnostics.h"
#include "numerics/Gnuplot.h"

namespace vornex {

double Solver::calcFunction(double x) {
    error = 0;
    if (bounded) {
        if (x < xmin) {
            error = 2;
            return 0.0;
        }
        if (x > xmax) {
            error = 3;
            return 0.0;
        }
    }
    // A trial point that is not a number (a secant through two equal values) cannot be
    // evaluated; neither can a callback's infinite or undefined result be used.
    if (!std::isfinite(x)) {
        error = 4;
        return 0.0;
    }
    // A flag an earlier call left on the equation object belongs to no point of this solve.
    equation->equationError = 0;
    double f = (equation->*function)(x, context);
    if (equation->equationError) {
        error = 4;
        equation->equationError = 0;
        return 0.0;
    }
    if (!std::isfinite(f)) {
        error = 4;
        return 0.0;
    }
    return f;
}

bool Solver::converged(double a, double b) const {
    return std::fabs(b - a) < tolerance * std::fmax(1.0, std::fabs(a));
}

bool Solver::stepEnds(double a, double b) {
    // A small step to a point the callback could not evaluate is no root.
    if (converged(a, b) && !evaluationFailed()) {
        error = 0;
        return true;
    }
    iterations += 1;
    if (error) return true;
    if (iterations > itermax) {
        error = 1;
        return true;
    }
    return false;
}

double Solver::secantTrial(double lambda, double fa, double fb) const {
    return (lambda * fb * x0 - (fa - (1.0 - lambda) * fb) * x1) / (fb - fa);
}

void Solver::progress(double a, double b, double fb, bool withValue) const {
    if (!verbose) return;
    if (withValue)
        diagnostic("%d\t%lg\t%lg\t%lg\n", iterations, a, b, fb);
    else
        diagnostic("%d\t%lg\t%lg\n", iterations, a, b);
}

double Solver::bisect(double& fa, double& fb, bool withValue) {
    double& a = x0;
    double& b = x1;
    double m = (a + b) / 2;
    double fm = calcFunction(m);
    // A failed evaluation stops the search: its placeholder value would steer the bracket.
    if (error) return m;
    for (;;) {
        progress(a, b, fb, withValue);
        if (fm * fa <= 0) {
            b = m;
            fb = fm;
        } else {
            a = m;
            fa = fm;
        }
        m = (a + b) / 2;
        fm = calcFunction(m);
        if (error) break;
        if (stepEnds(a, b)) break;
    }
    progress(a, b, fb, withValue);
    return m;
}

double Solver::mullerFrom(double fa, double fb, bool withValue) {
    double& a = x0;
    double& b = x1;
    double m = 0.0, fm = 0.0, x = 0.0, fx = 0.0;
    double result = (a + b) / 2;
    // Midpoint, then the interpolation point; false when an evaluation failed.
    auto next = [&]() {
        m = (a + b) / 2;
        fm = calcFunction(m);
        if (error) return false;
        if (fb * fm < 0) {  // keep the root between a and m, b on the side of m
            std::swap(a, b);
            std::swap(fa, fb);
        }
        // Inverse quadratic interpolation through the equally spaced a, m, b.
        double D = (fb - fa) * fb - 2 * fm * (fm - fa);
        if (D > 0) {
            x = a + (b - a) * fa * D / ((fm - fa) * 2 * (fa - fb) * (fb - fm));
            fx = calcFunction(x);
            if (error) return false;
        } else {
            x = m;
            fx = fm;
        }
        result = x;
        return true;
    };
    if (!next()) return result;
    for (;;) {
        // An exact root ends the search: the bracket would keep it as one end and never
        // narrow to the tolerance.
        if (fx == 0.0) break;
        progress(a, b, fb, withValue);
        if (fa * fx <= 0) {
            b = x;
            fb = fx;
        } else {
            a = x;
            fa = fx;
            b = m;
            fb = fm;
        }
        if (!next()) return result;
        if (stepEnds(a, b)) break;
    }
    progress(a, b, fb, withValue);
    return result;
}

// ---------------------------------------------------------------------------------------

double Secant::solve() {
    iterations = 0;
    double f0 = calcFunction(x0);
    if (error) return x0;
    if (std::fabs(f0) < 1e-15) {
        error = 0;
        x1 = x0;
        return x0;
    }
    double f1 = calcFunction(x1);
    lastf = f1;
    if (error) return x1;
    double x = x1, f = f1;
    for (;;) {
        if (verbose) diagnostic("%4d\t%12lg\t%12lg\t%12lg\n", iterations, x0, x1, f1);
        double lambda = relaxation;
        double xFull = 0.0;  // the step the secant asked for, before any halving
        bool shrunk = false;
        for (;;) {
            x = secantTrial(lambda, f0, f1);
            if (steplimited && std::fabs(x - x1) > maxstep)
                x = x < x1 ? x1 - maxstep : x1 + maxstep;
            if (!shrunk) xFull = x;
            f = calcFunction(x);
            lambda /= 2;
            if (!error && growthcheck && std::fabs(f) > std::fabs(f1)) {
                if (verbose)
                    diagnostic("Increase of the module of the function %lg > %lg for x = %lg \n", f,
                               f1, x);
                error = 5;
            }
            if (!error || !(lambda > minrelaxation)) break;
            shrunk = true;
        }
        x0 = x1;
        f0 = f1;
        x1 = x;
        f1 = f;
        lastf = f;
        // A step halved to keep the function defined or its residual from growing is short
        // because it was cut, not because the root is near: only the step the secant asked
        // for can say the search has converged.
        if (shrunk && !converged(x0, xFull)) {
            iterations += 1;
            if (error) break;
            if (iterations > itermax) {
                error = 1;
                break;
            }
            continue;
        }
        if (stepEnds(x0, x1)) break;
    }
    if (verbose) diagnostic("%4d\t%12lg\t%12lg\t%12lg\n", iterations, x0, x, f);
    return x;
}

double Muller::solve() {
    iterations = 0;
    double fa = calcFunction(x0);
    if (error) return 0.0;
    double fb = calcFunction(x1);
    if (error) return 0.0;
    if (!(fa * fb <= 0)) {
        if (verbose) diagnostic("Initialization error\n");
        error = 4;
        return 0.0;
    }
    return mullerFrom(fa, fb, false);
}

double Bolzano::solve() {
    iterations = 0;
    error = 0;
    f0 = calcFunction(x0);
    if (error) return 0.0;
    f1 = calcFunction(x1);
    if (error) return 0.0;
    if (!(f0 * f1 <= 0)) {
        if (verbose) diagnostic("Initialization error\n");
        error = 1;
        return 0.0;
    }
    return bisect(f0, f1, false);
}

void SecantBracketing::record(double x, double f, bool closer) {
    if (f > 0 && (!hasPos || (closer && f < fpos))) {
        hasPos = true;
        fpos = f;
        xpos = x;
    } else if (f < 0 && (!hasNeg || (closer && f > fneg))) {
        hasNeg = true;
        fneg = f;
        xneg = x;
    }
}

SecantBracketing::Phase SecantBracketing::searchBracket(bool closerAtStart, bool closerInLoop,
                                                        int16_t noSignChange, double& result) {
    iterations = 0;
    hasPos = hasNeg = false;
    result = 0.0;
    f0 = calcFunction(x0);
    if (error) return Phase::Done;
    if (f0 > 0) {
        hasPos = true, fpos = f0, xpos = x0;
    } else {
        hasNeg = true, fneg = f0, xneg = x0;
    }
    f1 = calcFunction(x1);
    if (error) return Phase::Done;
    record(x1, f1, closerAtStart);
    while (!(hasPos && hasNeg)) {
        progress(x0, x1, f1, true);
        double lambda = relaxation;
        double x = x1, f = f1;
        for (;;) {
            x = secantTrial(lambda, f0, f1);
            f = calcFunction(x);
            lambda /= 2;
            if (!error && growthcheck && iterations >= 2 && std::fabs(f) > std::fabs(f1) &&
                (f > 0) == (f1 > 0)) {
                if (verbose)
                    diagnostic("Increase of the module of the function %lg > %lg\n", f, f1);
                error = 5;
            }
            if (!error || !(lambda > minrelaxation)) break;
        }
        if (!evaluationFailed()) record(x, f, closerInLoop);
        if (hasPos && hasNeg) break;
        x0 = x1;
        f0 = f1;
        x1 = x;
        f1 = f;
        result = x;
        if (stepEnds(x0, x1)) return Phase::Done;
    }
    x0 = xpos;
    x1 = xneg;
    f0 = fpos;
    f1 = fneg;
    error = 0;
    if (!(f0 * f1 <= 0)) {
        if (verbose) diagnostic("Initialization error\n");
        error = noSignChange;
        result = 0.0;
        return Phase::Done;
    }
    return Phase::Bracketed;
}

double SecDic::solve() {
    double result = 0.0;
    if (searchBracket(false, true, 1, result) == Phase::Done) return result;
    return bisect(f0, f1, true);
}

double SecMul::solve() {
    double result = 0.0;
    if (searchBracket(true, false, 4, result) == Phase::Done) return result;
    return mullerFrom(f0, f1, true);
}

// ---------------------------------------------------------------------------------------

bool Solver::plot(double from, double to, int n, char logarithmic) {
    if (n < 1) n = 1;
    if (logarithmic && !(from > 0 && to > 0)) {
        vornex::cfprintf(stderr, "Solver::plot: a logarithmic range needs positive ends (%lg, %lg)\n",
                     from, to);
        return false;
    }
    AtomicFile dataFile;
    std::FILE* data = openOutput(dataFile, "solver.txt");
    if (data == nullptr) return false;
    double factor = std::pow(to / from, 1.0 / n);
    double step = (to - from) / n;
    double x = from;
    for (int i = 0; i <= n; ++i) {
        vornex::cfprintf(data, "%12lg\t%12lg\n", x, (equation->*function)(x, context));
        x = logarithmic ? x * factor : x + step;
    }
    // The curve may cross points where the callback fails; those failures were looked at,
    // not solved for, and must not fail the next solve.
    equation->equationError = 0;
    if (!commitOutput(dataFile)) return false;

    AtomicFile scriptFile;
    std::FILE* script = openOutput(scriptFile, "solver.gp");
    if (script == nullptr) return false;
    std::fputs(
        "reset\n"
        "set timestamp\n"
        "set title \"Solver - Curve check\"\n"
        "set xlabel \"x\"\n"
        "set ylabel \"f(x)\"\n"
        "set style data lines\n"
        "set xzeroaxis lt 2 lw 0.5\n"
        "plot 'solver.txt'\n",
        script);
    if (!commitOutput(scriptFile)) return false;
    runGnuplot("solver.gp");
    return true;
}

}  // namespace vornex

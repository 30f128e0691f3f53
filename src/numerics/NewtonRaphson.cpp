#include "numerics/NewtonRaphson.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "numerics/AtomicFile.h"
#include "numerics/Diagnostics.h"

namespace vornex {

void NewtonRaphson::calculate() {
    error = 0;
    double x = x1;
    if (bounded && x < xmin) {
        if (verbose) diagnostic("Too low value: x1 : %lf < xmin : %lf \n", x, xmin);
        error = 2;
    } else if (bounded && x > xmax) {
        if (verbose) diagnostic("Too high value: x1 : %lf > xmax : %lf \n", x, xmax);
        error = 3;
    } else if (!std::isfinite(x)) {
        // A step through f' = 0 cannot be evaluated.
        error = 4;
    }
    if (error) {
        f1 = df1 = 0.0;
        return;
    }
    // A flag an earlier call left on the equation object belongs to no point of this solve.
    equation->equationError = 0;
    (equation->*function)(x, f1, df1);
    if (equation->equationError || !std::isfinite(f1) || !std::isfinite(df1)) {
        if (verbose) diagnostic("Function evaluation error: x1 : %lf  fx1 : %lg \n", x, f1);
        error = 4;
        equation->equationError = 0;
        return;
    }
    if (checks && iterations > 0) {
        if (std::fabs(f1) > std::fabs(f0)) {
            if (verbose)
                diagnostic("Increase of the module of the function: |fx1| %lg   |fx0| %lg\n",
                            std::fabs(f1), std::fabs(f0));
            error = 5;
        }
        if (df0 * df1 < 0) {
            if (verbose) diagnostic("Change of the convexity\n");
            error = 6;
        }
    }
}

int16_t NewtonRaphson::convergence() {
    iterations += 1;
    // A point the callback could not evaluate is never a root, however small the step.
    bool unevaluated = error == 2 || error == 3 || error == 4;
    if (!unevaluated && std::fabs(x1 - x0) < tolerance * std::fmax(1.0, x0)) {
        error = 0;
        return 1;
    }
    if (error) {
        if (verbose) diagnostic("Calculation failure %d. x1 : %lf \n", error, x1);
        return error;
    }
    if (iterations <= itermax) return 0;
    if (verbose) diagnostic("The iteration has gone on too long.\n");
    error = 1;
    return 1;
}

void NewtonRaphson::recordSign() {
    if (f1 > 0 && f1 < fpos) {
        xpos = x1;
        fpos = f1;
    } else if (f1 <= 0 && f1 > fneg) {
        xneg = x1;
        fneg = f1;
    }
}

void NewtonRaphson::newtonStep() {
    x0 = x1;
    f0 = f1;
    df0 = df1;
    double r = relaxation;
    do {
        x1 = x0 - r * f0 / df0;
        calculate();
        if (verbose)
            diagnostic("i %2d\tx0 %12lg\tx1 %12lg\t fx1 %12lg\t r %5g\n", iterations, x0, x1, f1,
                        r);
        r /= 2;
    } while (error && r > 0.001);
    if (!error) recordSign();
}

void NewtonRaphson::bisectBracket() {
    error = 0;
    iterations = 0;
    // Growth and convexity are criteria of Newton steps, not of halving a bracket.
    int16_t savedChecks = checks;
    checks = 0;
    // Each midpoint is compared with the one before, starting from a bracket end, so the
    // step is half the bracket width and a found root ends with success.
    x1 = xpos;
    do {
        x0 = x1;
        x1 = (xpos + xneg) / 2;
        calculate();
        if (f1 > 0)
            xpos = x1;
        else
            xneg = x1;
        if (verbose)
            diagnostic("i %2d x1 %12lg\t xpos %12lg\t \t xneg %12lg fx1 %12lg\n", iterations, x1,
                        xpos, xneg, f1);
    } while (convergence() == 0);
    checks = savedChecks;
}

double NewtonRaphson::solve() {
    iterations = 0;
    x1 = x0;
    calculate();
    iterations = 1;
    if (error) return std::numeric_limits<double>::quiet_NaN();
    fpos = 1e100;
    fneg = -1e100;
    xpos = xneg = 0.0;
    recordSign();
    do {
        newtonStep();
    } while (convergence() == 0);
    if (error && xpos != 0.0 && xneg != 0.0) bisectBracket();
    return x1;
}

bool NewtonRaphson::plot(double a, double b, int n) {
    AtomicFile file;
    std::FILE* out = openOutput(file, "nr");
    if (out == nullptr) return false;
    if (n < 1) n = 1;
    double step = (b - a) / n;
    for (int i = 0; i <= n; ++i) {
        x1 = a + i * step;
        (equation->*function)(x1, f1, df1);
        vornex::cfprintf(out, "%lg %lg\n", x1, f1);
    }
    // Failures met while drawing the curve must not fail the next solve.
    equation->equationError = 0;
    return commitOutput(file);
}

void NewtonRaphson::check_derivatives(double x, double h) {
    if (equation == nullptr || function == nullptr) {
        vornex::cfprintf(stderr, "NewtonRaphson::check_derivatives: no equation to check\n");
        return;
    }
    double f = 0, df = 0, fm = 0, fp = 0, scratch = 0;
    (equation->*function)(x, f, df);
    (equation->*function)(x - h, fm, scratch);
    (equation->*function)(x + h, fp, scratch);
    equation->equationError = 0;
    vornex::cprintf("Check derivatives at %lf\n\tAnal. : %lg  Num. : %lg\n", x, df,
                (fp - fm) / (2 * h));
}

}  // namespace vornex

#include "numerics/Vignes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/Allocation.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {

double sumOfSquares(const double* v, int m) {
    double sum = 0.0;
    for (int k = 0; k < m; ++k) sum += v[k] * v[k];
    return sum;
}

// Scales v to unit length; a zero vector stays zero. Returns the length it had.
double normalise(double* v, int n) {
    const double length = std::sqrt(sumOfSquares(v, n));
    if (length > 0.0)
        for (int i = 0; i < n; ++i) v[i] /= length;
    return length;
}

}  // namespace

Vignes::~Vignes() {
    Vignes::purge();
}

void Vignes::purge() {
    dispose(N, n);
    N = nullptr;
    for (double** v : {&g, &d, &dsave, &dprev, &xbest, &residual}) {
        delete[] * v;
        *v = nullptr;
    }
    NLESolver::purge();
}

void Vignes::_setSysEquationToSolve(Equation* object, EquationSystem function, int size) {
    if (function == nullptr || isBoundTo(object, function, size)) return;
    NLESolver::_setSysEquationToSolve(object, function, size);
    if (g == nullptr) {
        N = allocate2(n, n);
        for (double** v : {&g, &d, &dsave, &dprev, &xbest}) *v = allocate(n);
        residual = allocate(m);
    }
    std::fill(dprev, dprev + n, 0.0);
}

// S at x = base + factor * direction, evaluated into the residual vector so that F and J
// keep the values at x0; ok is false when the evaluation failed or S is not a number.
double Vignes::trialSum(const double* base, double factor, const double* direction, bool& ok) {
    for (int i = 0; i < n; ++i) x[i] = base[i] + factor * direction[i];
    int failed = 0;
    evaluateResiduals(x, residual, failed);
    const double S = sumOfSquares(residual, m);
    ok = failed == 0 && !std::isnan(S);
    return S;
}

// Solves J^T J delta = -J^T F and searches along delta from the last factor doubled, capped
// so that no unknown moves more than its scale. Accepts the first trial that does not
// raise S; false when the linear solve fails or no trial of 50 is accepted.
bool Vignes::gaussNewtonStep(double& lambda) {
    for (int i = 0; i < n; ++i) {
        g[i] = 0.0;
        for (int k = 0; k < m; ++k) g[i] -= F[k] * J[k][i];
        for (int j = 0; j < n; ++j) {
            N[i][j] = 0.0;
            for (int k = 0; k < m; ++k) N[i][j] += J[k][i] * J[k][j];
        }
        Fwork[i] = g[i];
    }
    int singular = 0;
    solve_the_linear_system(N, Fwork, dx, n, singular);
    if (singular != 0) return false;
    double limit = 1.0;
    for (int i = 0; i < n; ++i)
        limit = std::min(limit, 1.0 / std::max(1.0, std::fabs(dx[i] / scale[i])));
    double t = std::min(2.0 * lambda, limit);
    for (int trial = 0; trial < 50; ++trial, t /= 2.0) {
        bool ok = false;
        const double S = trialSum(x0, t, dx, ok);
        if (ok && S <= modG0) {
            std::copy(x, x + n, xbest);
            modG0 = S;
            lambda = t;
            return true;
        }
    }
    std::copy(x0, x0 + n, x);
    return false;
}

// Unit steepest-descent direction of S at x0; from the second iteration on, bent towards
// the previous direction when the two disagree.
void Vignes::descentDirection() {
    for (int i = 0; i < n; ++i) {
        d[i] = 0.0;
        for (int k = 0; k < m; ++k) d[i] -= 2.0 * F[k] * J[k][i];
    }
    normalise(d, n);
    std::copy(d, d + n, dsave);
    if (iterations < 2) return;
    double agreement = 0.0;
    for (int i = 0; i < n; ++i) agreement += d[i] * dprev[i];
    if (agreement > 0.0) return;
    for (int i = 0; i < n; ++i) d[i] += dprev[i];
    if (normalise(d, n) == 0.0) std::copy(dsave, dsave + n, d);
}

// After a failed Gauss-Newton step: from twice the last descent step (at most 1), double
// once after a first success, halve after each failure; the 50th failure ends the solve.
bool Vignes::descentAfterFailedStep(double& mu) {
    std::copy(dsave, dsave + n, dprev);
    double t = std::min(2.0 * mu, 1.0);
    int failures = 0;
    for (bool first = true;; first = false) {
        bool ok = false;
        const double S = trialSum(x0, t, d, ok);
        if (ok && S <= modG0) {
            std::copy(x, x + n, xbest);
            modG0 = S;
            if (!first) break;
            t *= 2.0;
        } else {
            if (++failures >= 50) return false;
            t /= 2.0;
        }
    }
    std::copy(xbest, xbest + n, x);
    mu = t;
    return true;
}

// After a Gauss-Newton success: an expanding then contracting search along d from h, and a
// parabola through S0, the last accepted S and the last trial's S.
void Vignes::descentAfterGaussNewton(double& mu, double S0) {
    double distance = 0.0;
    for (int i = 0; i < n; ++i) distance += (x[i] - x0[i]) * (x[i] - x0[i]);
    double h = std::min(mu, std::sqrt(distance));
    // A zero step (a point that is already stationary) gives nothing to search along; the
    // doubling below would never end.
    if (h == 0.0 || sumOfSquares(d, n) == 0.0) return;
    int failures = 0;
    double accepted = modG0, last = modG0;
    bool gaveUp = false;
    for (int trial = 0;; ++trial) {
        bool ok = false;
        const double S = trialSum(x0, h, d, ok);
        last = S;
        if (ok && S <= modG0) {
            std::copy(x, x + n, xbest);
            modG0 = accepted = S;
            if (failures > 0 || trial >= 60) break;
            h *= 2.0;
        } else {
            if (++failures > 14) {
                gaveUp = true;
                break;
            }
            h /= 2.0;
        }
    }
    std::copy(xbest, xbest + n, x);
    const double curvature = 2.0 * (S0 - 2.0 * accepted + last);
    if (!gaveUp && curvature > 0.0) {
        const double t = h * (3.0 * S0 - 4.0 * accepted + last) / curvature;
        const std::vector<double> best(xbest, xbest + n);
        bool ok = false;
        const double S = trialSum(best.data(), t, d, ok);
        if (ok && S <= modG0) {
            std::copy(x, x + n, xbest);
            modG0 = S;
        }
        std::copy(xbest, xbest + n, x);
    }
    mu = h;
}

bool Vignes::stalled() const {
    for (int i = 0; i < n; ++i) {
        const double size = std::max(std::fabs(x[i]), std::fabs(x0[i]));
        if (std::fabs(x[i] - x0[i]) > 1e-9 * size) return false;
    }
    return true;
}

int Vignes::solve() {
    if (F == nullptr) return error = 1;  // nothing bound
    error = 0;
    std::copy(x, x + n, x0);
    std::copy(x, x + n, xbest);
    int failed = 0;
    evaluateWithJacobian(failed);
    if (failed != 0) return error = 1;
    modG = modG0 = sumOfSquares(F, m);
    iterations = 0;
    double mu = 1.0, lambda = 1.0;
    for (;;) {
        ++iterations;
        const double S0 = modG0;
        display_the_Jacobian_matrix();
        display_the_vector();
        if (iterations > itermax) return error = 1;
        const bool newtonStep = gaussNewtonStep(lambda);
        descentDirection();
        if (!newtonStep) {
            if (!descentAfterFailedStep(mu)) {
                std::copy(xbest, xbest + n, x);
                return error = 1;
            }
        } else {
            descentAfterGaussNewton(mu, S0);
        }
        if (modG0 < tolerance || stalled()) break;
        std::copy(x, x + n, x0);
        evaluateWithJacobian(failed);
        if (failed != 0) return error = 1;
    }
    ++iterations;
    modG = modG0;
    display_the_vector();
    evaluateWithJacobian(failed);
    return error;
}

}  // namespace vornex

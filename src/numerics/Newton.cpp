#include "numerics/Newton.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/Allocation.h"
#include "numerics/Diagnostics.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

Newton::~Newton() {
    Newton::purge();
}

void Newton::purge() {
    NLESolver::purge();
    delete[] rowsum;
    delete[] lower;
    delete[] upper;
    delete[] bounded;
    rowsum = lower = upper = nullptr;
    bounded = nullptr;
}

void Newton::_setSysEquationToSolve(Equation* object, EquationSystem function, int size) {
    if (function == nullptr || isBoundTo(object, function, size)) return;
    NLESolver::_setSysEquationToSolve(object, function, size);
    steptol = 1e-8;
    dampmin = 0.01;
    if (rowsum == nullptr) {
        rowsum = allocate(n);
        lower = allocate(n);
        upper = allocate(n);
        bounded = new uint8_t[n]();
    }
    std::fill(bounded, bounded + n, uint8_t{0});
}

int Newton::solve() {
    if (F == nullptr) return error = 1;  // nothing bound
    modG = modG0 = 1e15;
    std::fill(dx, dx + n, 0.0);
    iterations = 0;
    do {
        display_the_Jacobian_matrix();
        display_the_vector();
        calculate_the_next_vector();
        if (error == 0) {
            // On copies, so that F and J keep the scaled residuals and Jacobian of the point.
            for (int i = 0; i < m; ++i) {
                Fwork[i] = -F[i];
                std::copy(J[i], J[i] + n, Jwork[i]);
            }
            solve_the_linear_system(Jwork, Fwork, dx, n, error);
            if (error != 0) diagnostic("The system is degenerated.\n");
        }
    } while (convergence() == 0);
    return error;
}

void Newton::calculate_the_next_vector() {
    error = 0;
    std::copy(x, x + n, x0);
    double cap = 1.0;
    for (int j = 0; j < n; ++j) cap = std::max(cap, std::fabs(dx[j] / scale[j]));
    for (int j = 0; j < n; ++j) dx[j] /= cap;

    double lambda = 1.0;
    bool retry = false;
    for (;;) {
        if (retry) {
            // In the first iteration dx is still 0: a failure there ends the solve at once.
            if (iterations == 0) lambda = dampmin;
            lambda /= 2.0;
            if (lambda < dampmin) {
                error = 1;
                std::copy(x0, x0 + n, x);  // back to the last accepted point
                return;
            }
        }
        for (int j = 0; j < n; ++j) {
            x[j] = x0[j] + lambda * dx[j];
            if (bounded[j] && x[j] > upper[j])
                x[j] = x0[j] + 0.9 * lambda * (upper[j] - x0[j]);
            else if (bounded[j] && x[j] < lower[j])
                x[j] = x0[j] + 0.9 * lambda * (lower[j] - x0[j]);
        }
        int failed = 0;
        evaluateWithJacobian(failed);
        // A failed evaluation is retried whatever its residuals say, and so is one whose
        // measure grew or is not a number.
        if (failed != 0) {
            retry = true;
            continue;
        }
        calculate_module();
        retry = !(modG <= modG0);
        if (!retry) {
            modG0 = modG;
            return;
        }
    }
}

void Newton::calculate_module() {
    modG = 0.0;
    for (int i = 0; i < m; ++i) {
        double sum = std::fabs(F[i]);
        for (int j = 0; j < n; ++j) sum += std::fabs(J[i][j]);
        rowsum[i] = sum;
        const double w = sum > 0.0 ? 1.0 / sum : 1.0;
        for (int j = 0; j < n; ++j) J[i][j] *= w;
        F[i] *= w;
        modG += std::fabs(F[i]);
    }
}

int Newton::convergence() {
    ++iterations;
    if (error != 0) {
        if (verbose)
            diagnostic("No convergence : calculation failure. modG %12lg  modG0 %12lg\n", modG,
                       modG0);
        return 1;
    }
    if (iterations > itermax) {
        error = 1;
        if (verbose) diagnostic("No convergence, itermax = %d\n", itermax);
        return 1;
    }
    if (modG0 > tolerance) return 0;
    double steps = 0.0;
    for (int j = 0; j < n; ++j) steps += std::fabs(dx[j] / scale[j]);
    if (steps > steptol) {
        error = 3;
        if (verbose) diagnostic("Sum of residues too large\n");
    } else {
        display_the_vector();
    }
    return 1;
}

}  // namespace vornex

// Damped Newton solver for n nonlinear equations in n unknowns: Newton steps on row-scaled
// residuals, a step cap per unknown, damping by halving while a trial fails or its residual
// measure grows, optional per-unknown bounds approached by 90 % of the remaining distance,
// and an optional central-difference Jacobian.
//
// Usage: _setSysEquationToSolve(object, system, n); write the start into x; adjust itermax,
// tolerance, scale, eps, context, numerical, verbose, bounded/lower/upper as needed; solve();
// read x and error. error: 0 converged; 1 no convergence (iteration limit, a failed
// evaluation at the start, damping below dampmin); 3 the residual measure is small but the
// last step is not; or the code of solve_the_linear_system for a singular Jacobian.
#pragma once

#include "numerics/NLESolver.h"

namespace vornex {

class Newton : public NLESolver {
   public:
    Newton() = default;
    ~Newton() override;
    void purge() override;

    double* rowsum = nullptr;    // scratch: per equation |F_i| + sum_j |J_ij|
    double steptol = 0.0;        // bound on sum_j |dx_j / scale_j| at the end
    double dampmin = 0.0;        // smallest damping factor tried
    double* lower = nullptr;     // lower bound per unknown
    double* upper = nullptr;     // upper bound per unknown
    uint8_t* bounded = nullptr;  // per unknown: non-zero applies lower and upper

    // The base binding, then steptol 1e-8, dampmin 0.01 and no unknown bounded.
    void _setSysEquationToSolve(Equation* object, EquationSystem function, int size) override;

    // Runs the iterations from the current x; returns the error code (also left in error).
    // On failure x is the last accepted point.
    int solve();

    // One damped step from the accepted point along dx (capped by scale).
    void calculate_the_next_vector();
    // Scales each row of J and F by 1/(|F_i| + sum_j |J_ij|); modG = sum_i |F_i|.
    void calculate_module();
    // Counts the iteration and decides: 0 go on, 1 stop (error tells how).
    int convergence();
};

}  // namespace vornex

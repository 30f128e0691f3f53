// Hybrid least-squares solver for n equations F(x) = 0 in n unknowns, bound like Newton
// to the same callback: minimises S = sum F_k^2, each iteration trying a Gauss-Newton step
// with a line search, then a steepest-descent direction (bent by the previous one) with an
// expanding and contracting line search refined by a parabola. Meant for systems where
// plain Newton steps fail.
//
// Results: x (the best point found), modG = S there, error 0 when S fell below tolerance or
// the steps stalled (|dx_i| <= 1e-9 |x_i| for every unknown; read modG to tell a solution
// from a least-squares minimum), 1 after a failed evaluation at the start or at a new
// iterate, after 50 failed descent trials, or when the iteration limit is passed.
#pragma once

#include "numerics/NLESolver.h"

namespace vornex {

class Vignes : public NLESolver {
   public:
    Vignes() = default;
    ~Vignes() override;
    void purge() override;

    double* g = nullptr;         // -J^T F [n]
    double** N = nullptr;        // J^T J [n][n]
    double* d = nullptr;         // descent direction [n]
    double* dsave = nullptr;     // the last unit gradient direction [n]
    double* dprev = nullptr;     // the previous direction [n]
    double* xbest = nullptr;     // best point found [n]
    double* residual = nullptr;  // residuals of the trial points [m]

    // The base binding, plus the arrays of this solver.
    void _setSysEquationToSolve(Equation* object, EquationSystem function, int size) override;

    // Runs the minimisation from the current x; returns the error code (also in error).
    int solve();

   private:
    double trialSum(const double* base, double factor, const double* direction, bool& ok);
    bool gaussNewtonStep(double& lambda);
    void descentDirection();
    bool descentAfterFailedStep(double& mu);
    void descentAfterGaussNewton(double& mu, double S0);
    bool stalled() const;
};

}  // namespace vornex

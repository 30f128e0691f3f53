// Base of the solvers of n nonlinear equations F(x) = 0 in n unknowns: the binding to the
// system callback, the arrays, the evaluation wrappers (analytical or central-difference
// Jacobian) and the diagnostics. Newton and Vignes derive from it.
#pragma once

#include <cstdint>
#include <cstdio>

#include "numerics/Equation.h"

namespace vornex {

class NLESolver {
   public:
    NLESolver() = default;
    NLESolver(const NLESolver&) = delete;
    NLESolver& operator=(const NLESolver&) = delete;
    virtual ~NLESolver();
    // Releases the arrays and forgets the context.
    virtual void purge();

    Equation* equation = nullptr;     // object called back
    EquationSystem system = nullptr;  // the system
    int n = 0;                        // unknowns
    int m = 0;                        // equations (= n)
    int iterations = 0;
    int itermax = 0;
    double* F = nullptr;      // residuals [m]
    double* x = nullptr;      // unknowns [n]: the start in, the solution out
    double** J = nullptr;     // Jacobian rows [m][n]
    double* x0 = nullptr;     // previous point [n]
    double* dx = nullptr;     // step [n]
    double* scale = nullptr;  // largest step per unknown [n], divisor of the step test
    double tolerance = 0.0;   // bound on the residual measure
    double modG = 0.0;        // residual measure of the current trial
    double modG0 = 0.0;       // residual measure of the accepted point
    int16_t verbose = 0;      // 0 silent, >= 1 progress lines, >= 3 also J and F
    int error = 0;            // result code
    void* context = nullptr;  // handed to every call of the system
    uint8_t numerical = 0;    // non-zero: J by central differences
    double* eps = nullptr;    // difference step per unknown [n]

    // Binds the system of n equations in n unknowns, unless this object, function and size
    // are bound already (then every setting stays). A new size releases the old arrays
    // first; the same size keeps and clears them. Sets itermax 25, tolerance 1e-11,
    // scale 10000 and eps 1e-9 per unknown. A null function changes nothing.
    virtual void _setSysEquationToSolve(Equation* object, EquationSystem function, int size);

    // error = 0, then the system at x with the given order (1: F and J, 0: F only).
    void calculate(double* x, double* F, double** J, int& error, int order);
    // F at x and J by central differences with the steps eps; error is non-zero when any
    // of the 2n + 1 evaluations failed. x is restored exactly.
    void calculate_numerical(double* x, double* F, double** J, int& error);

    // Writes the analytical and the central-difference Jacobian at x (steps h) to out.
    void check_derivatives(FILE* out, double* x, double* h);
    // Progress line (iterations, modG, unknowns) on standard output when verbose >= 1.
    void display_the_vector();
    // J and F on standard output when iterations > 0 and verbose > 2.
    void display_the_Jacobian_matrix();

    // Residual map over unknowns i and j on an ni x nj grid ([xi0, xi1] x [xj0, xj1]),
    // written to "mapcrit" + suffix as rows "x_i x_j |sum F| F_0" (mode 1: Igor text, mode 2:
    // plain rows plus the gnuplot script "g60.gp", which is then run). The rows are evaluated
    // back and forth so the system moves through the grid without jumps; the unknowns are
    // restored afterwards. Each file replaces only a file this system wrote there. False,
    // with the reason on standard error, when a file was not written (or the grid is none).
    bool map(int i, int j, double xi0, double xi1, double xj0, double xj1, int ni, int nj,
             char mode, const char* suffix);

   protected:
    bool isBoundTo(Equation* object, EquationSystem function, int size) const;
    // F and J at x, analytically or numerically as `numerical` says.
    void evaluateWithJacobian(int& error);
    // F only, at the given point into the given vector.
    void evaluateResiduals(double* at, double* residuals, int& error);
    // Central differences with the given steps into Jout; F at x into Fout.
    void differentiate(double* at, double* Fout, double** Jout, const double* steps, int& error);

    double* Fwork = nullptr;   // scratch residuals [m]
    double** Jwork = nullptr;  // scratch Jacobian [m][n], also lent to order-0 calls

   private:
    void writeMapRow(FILE* out, int i, int j, double xj0, double dj, int nj, bool downwards);
};

}  // namespace vornex

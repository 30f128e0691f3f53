#include "numerics/NLESolver.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "numerics/Allocation.h"
#include "numerics/AtomicFile.h"
#include "numerics/Diagnostics.h"
#include "numerics/Gnuplot.h"

namespace vornex {

NLESolver::~NLESolver() {
    NLESolver::purge();
}

void NLESolver::purge() {
    delete[] F;  // F heads the block that also holds x, x0, dx, scale and eps
    F = x = x0 = dx = scale = eps = nullptr;
    dispose(J, m);
    J = nullptr;
    delete[] Fwork;
    Fwork = nullptr;
    dispose(Jwork, m);
    Jwork = nullptr;
    context = nullptr;
}

bool NLESolver::isBoundTo(Equation* object, EquationSystem function, int size) const {
    return F != nullptr && equation == object && system == function && n == size;
}

void NLESolver::_setSysEquationToSolve(Equation* object, EquationSystem function, int size) {
    if (function == nullptr || isBoundTo(object, function, size)) return;
    if (size < 0) size = 0;
    // Arrays of another size cannot serve: a larger system would run past their ends.
    if (F != nullptr && n != size) purge();
    equation = object;
    system = function;
    n = m = size;
    iterations = 0;
    itermax = 25;
    error = 0;
    tolerance = 1e-11;
    modG = modG0 = 1e15;
    if (F == nullptr) {
        F = allocate(m + 5 * n);
        J = allocate2(m, n);
        Fwork = allocate(m);
        Jwork = allocate2(m, n);
    } else {
        for (int k = 0; k < m + 5 * n; ++k) F[k] = 0.0;
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < n; ++j) J[i][j] = 0.0;
    }
    x = F + m;
    x0 = x + n;
    dx = x0 + n;
    scale = dx + n;
    eps = scale + n;
    for (int j = 0; j < n; ++j) {
        scale[j] = 10000.0;
        eps[j] = 1e-9;
    }
}

void NLESolver::calculate(double* at, double* residuals, double** jacobian, int& err, int order) {
    err = 0;
    (equation->*system)(at, residuals, jacobian, err, order, context);
}

void NLESolver::evaluateResiduals(double* at, double* residuals, int& err) {
    // Jwork stands in for J: an order-0 call is not meant to write it, but if the system
    // does, nothing the solver keeps is overwritten.
    calculate(at, residuals, Jwork, err, 0);
}

void NLESolver::differentiate(double* at, double* Fout, double** Jout, const double* steps,
                              int& err) {
    evaluateResiduals(at, Fout, err);
    for (int j = 0; j < n && err == 0; ++j) {
        const double saved = at[j];
        at[j] = saved + steps[j];
        evaluateResiduals(at, Fwork, err);
        for (int i = 0; i < m; ++i) Jout[i][j] = Fwork[i];
        if (err == 0) {
            at[j] = saved - steps[j];
            evaluateResiduals(at, Fwork, err);
            for (int i = 0; i < m; ++i) Jout[i][j] = (Jout[i][j] - Fwork[i]) / (2.0 * steps[j]);
        }
        at[j] = saved;
    }
}

void NLESolver::calculate_numerical(double* at, double* residuals, double** jacobian, int& err) {
    differentiate(at, residuals, jacobian, eps, err);
}

void NLESolver::evaluateWithJacobian(int& err) {
    if (numerical)
        calculate_numerical(x, F, J, err);
    else
        calculate(x, F, J, err, 1);
}

void NLESolver::check_derivatives(FILE* out, double* at, double* h) {
    if (equation == nullptr || system == nullptr || n <= 0 || at == nullptr || h == nullptr) {
        vornex::cfprintf(out, "No system to check\n");
        return;
    }
    int err = 0;
    calculate(at, F, J, err, 1);
    double** numericalJ = allocate2(m, n);
    if (err == 0) differentiate(at, Fwork, numericalJ, h, err);
    if (err != 0) {
        // A Jacobian from a failed evaluation is no derivative of the system.
        vornex::cfprintf(out, "The system cannot be evaluated at this point or beside it\n");
        dispose(numericalJ, m);
        return;
    }
    vornex::cfprintf(out, "Analytical \n\n");
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) vornex::cfprintf(out, "% 08le  ", J[i][j]);
        vornex::cfprintf(out, "\n");
    }
    vornex::cfprintf(out, "\n");
    vornex::cfprintf(out, "Numerical \n\n");
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) vornex::cfprintf(out, "% 08le  ", numericalJ[i][j]);
        vornex::cfprintf(out, "\n");
    }
    dispose(numericalJ, m);
}

void NLESolver::display_the_vector() {
    if (verbose < 1) return;
    diagnostic("%3d\t\tmodG %12lg\t\t", iterations, modG);
    for (int j = 0; j < n; ++j) diagnostic("U%1d %12lg\t\t\t", j, x[j]);
    diagnostic("\n");
}

void NLESolver::display_the_Jacobian_matrix() {
    if (iterations <= 0 || verbose <= 2) return;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) diagnostic("%lg  ", J[i][j]);
        diagnostic("\n");
    }
    for (int i = 0; i < m; ++i) diagnostic("%lg  ", F[i]);
    diagnostic("\n");
}

namespace {

double sumOfResiduals(const double* residuals, int m) {
    double sum = 0.0;
    for (int k = 0; k < m; ++k) sum += residuals[k];
    return std::fabs(sum);
}

}  // namespace

bool NLESolver::map(int i, int j, double xi0, double xi1, double xj0, double xj1, int ni, int nj,
                    char mode, const char* suffix) {
    if (ni < 2 || nj < 2 || F == nullptr || i < 0 || i >= n || j < 0 || j >= n) return false;
    const int rows = ni + ni % 2;
    const double di = (xi1 - xi0) / (rows - 1);
    const double dj = (xj1 - xj0) / (nj - 1);
    const std::string name = std::string("mapcrit") + suffix;
    AtomicFile mapFile;
    FILE* out = openOutput(mapFile, name);
    if (out == nullptr) return false;
    if (mode == 1)
        vornex::cfprintf(out, "IGOR\nWAVES x0%s x1%s res%s f%s\nBEGIN\n", suffix, suffix, suffix,
                     suffix);
    const std::vector<double> saved(x, x + n);
    x[i] = xi0;
    for (int pair = 0; pair < rows / 2; ++pair) {
        writeMapRow(out, i, j, xj0, dj, nj, false);
        x[i] += di;
        writeMapRow(out, i, j, xj0, dj, nj, true);
        x[i] += di;
    }
    if (mode == 1) vornex::cfprintf(out, "END\n");
    for (int k = 0; k < n; ++k) x[k] = saved[k];
    if (!commitOutput(mapFile)) return false;
    if (mode != 2) return true;
    AtomicFile scriptFile;
    FILE* script = openOutput(scriptFile, "g60.gp");
    if (script == nullptr) return false;
    const std::string data = gnuplotQuoted(name);
    vornex::cfprintf(script,
                 "reset\nset timestamp\nset multiplot\nset origin 0,0\nset size 0.5,1\n"
                 "set xlabel \"x%d\"\nset ylabel \"x%d\"\nset contour\nset cntrparam levels 9\n"
                 "set style data lines \nset view 180,0,1,1\nset yrange [*:*] reverse\n"
                 "unset surface\nset pm3d\nsplot %s \nset origin 0.5,0\nset size 0.5,1\n"
                 "splot %s using 1:2:4\n",
                 i, j, data.c_str(), data.c_str());
    if (!commitOutput(scriptFile)) return false;
    runGnuplot("g60.gp");
    return true;
}

// One row of the map at the current x_i, evaluated upwards or downwards in x_j and written
// upwards; the fourth column is the signed F_0 whichever way the row was evaluated.
void NLESolver::writeMapRow(FILE* out, int i, int j, double xj0, double dj, int nj,
                            bool downwards) {
    std::vector<double> residual(nj), first(nj);
    for (int step = 0; step < nj; ++step) {
        const int k = downwards ? nj - 1 - step : step;
        x[j] = xj0 + k * dj;
        int err = 0;
        evaluateResiduals(x, F, err);
        residual[k] = sumOfResiduals(F, m);
        first[k] = F[0];
    }
    // Significant digits, not decimals: a volume in m3/mol to six decimals would lose the
    // grid, and small residuals would read back as zero.
    for (int k = 0; k < nj; ++k)
        vornex::cfprintf(out, "%.10g\t%.10g\t%.10g\t%.10g\n", x[i], xj0 + k * dj, residual[k],
                     first[k]);
    vornex::cfprintf(out, "\n");
}

}  // namespace vornex

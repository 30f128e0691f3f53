#include "numerics/Fitting.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <utility>
#include <vector>

#include "numerics/Allocation.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {

void copyInto(double* to, const double* from, int n) {
    std::copy(from, from + n, to);
}

}  // namespace

Fitting::~Fitting() {
    releaseMemory();
    if (ownedHistory) ownedHistory->commit();
}

// The tables grouped by shape, so that allocation and release cannot drift apart.
std::vector<double**> Fitting::pointVectors() {
    return {&Ym, &Zm, &Y, &Z, &vY, &vZ, &sdY, &sdZ, &eY, &eZ, &Fp, &Gp, &Fx, &Gx};
}
std::vector<double**> Fitting::parameterVectors() {
    return {&p, &parameterPerturbation, &dp, &U, &b, &sdp};
}
std::vector<double***> Fitting::pointByVariableTables() {
    return {&Xm, &X, &vX, &sdX, &dYdX, &dZdX, &eX, &dX, &Q};
}
std::vector<double***> Fitting::pointByParameterTables() {
    return {&dYdp, &dZdp};
}
std::vector<double***> Fitting::parameterSquareTables() {
    return {&A, &T, &covariance, &correlation};
}

void Fitting::allocate_memory() {
    releaseMemory();
    numberOfPoints = std::max(0, numberOfPoints);
    numberOfParameters = std::max(0, numberOfParameters);
    numberOfVariables = std::max(0, numberOfVariables);
    numberOfExtra = std::max(0, numberOfExtra);
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    allocated[0] = N;
    allocated[1] = P;
    allocated[2] = m;
    allocated[3] = numberOfExtra;
    for (double** v : pointVectors()) *v = allocate(N);
    for (double** v : parameterVectors()) *v = allocate(P);
    for (double*** t : pointByVariableTables()) *t = allocate2(N, m);
    for (double*** t : pointByParameterTables()) *t = allocate2(N, P);
    for (double*** t : parameterSquareTables()) *t = allocate2(P, P);
    extra = allocate2(N, numberOfExtra);
    variablePerturbation = allocate(m);
    D = allocate2(m, m);
    Dinv = allocate3(N, m, m);
    S = allocate3(N, m, P);
    W = allocate3(N, P, m);
    std::fill(parameterPerturbation, parameterPerturbation + P, 1e-6);
    std::fill(variablePerturbation, variablePerturbation + m, 1e-6);
    vornex::cprintf("nn %d no %d \n", N, numberOfExtra);
}

bool Fitting::countsMatchTables() const {
    return p != nullptr && allocated[0] == numberOfPoints && allocated[1] == numberOfParameters &&
           allocated[2] == numberOfVariables && allocated[3] == numberOfExtra;
}

void Fitting::releaseMemory() {
    // The counts the tables were made with, whatever the fields say now.
    const int N = allocated[0], P = allocated[1], m = allocated[2];
    for (double** v : pointVectors()) delete[] std::exchange(*v, nullptr);
    for (double** v : parameterVectors()) delete[] std::exchange(*v, nullptr);
    for (double*** t : pointByVariableTables()) dispose(std::exchange(*t, nullptr), N);
    for (double*** t : pointByParameterTables()) dispose(std::exchange(*t, nullptr), N);
    for (double*** t : parameterSquareTables()) dispose(std::exchange(*t, nullptr), P);
    dispose(std::exchange(extra, nullptr), N);
    delete[] std::exchange(variablePerturbation, nullptr);
    dispose(std::exchange(D, nullptr), m);
    dispose3(std::exchange(Dinv, nullptr), N, m);
    dispose3(std::exchange(S, nullptr), N, m);
    dispose3(std::exchange(W, nullptr), N, P);
    std::fill(allocated, allocated + 4, 0);
}

void Fitting::initialize() {
    iteration = 0;
    trial = 0;
    finished = 0;
    accepted = 0;
    errorCode = 0;
    if (!countsMatchTables()) return;
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    for (int i = 0; i < N; ++i) {
        copyInto(X[i], Xm[i], m);
        std::fill(dX[i], dX[i] + m, 0.0);
        std::fill(dYdX[i], dYdX[i] + m, 0.0);
        std::fill(dZdX[i], dZdX[i] + m, 0.0);
        std::fill(dYdp[i], dYdp[i] + P, 0.0);
        std::fill(dZdp[i], dZdp[i] + P, 0.0);
    }
    copyInto(Y, Ym, N);
    copyInto(Z, Zm, N);
}

// --- data (sized by the tables, so a count changed afterwards cannot overrun them)
// ------------------------------------------------------------------------------

void Fitting::read_Xm(int k, double* values) {
    if (k < 0 || k >= allocated[2]) return;
    for (int i = 0; i < allocated[0]; ++i) Xm[i][k] = values[i];
}
void Fitting::read_Ym(double* values) {
    copyInto(Ym, values, allocated[0]);
}
void Fitting::read_Zm(double* values) {
    copyInto(Zm, values, allocated[0]);
}

void Fitting::read_sdX(int k, double* values) {
    if (k < 0 || k >= allocated[2]) return;
    for (int i = 0; i < allocated[0]; ++i) {
        sdX[i][k] = values[i];
        vX[i][k] = values[i] * values[i];
    }
}
void Fitting::read_sdY(double* values) {
    for (int i = 0; i < allocated[0]; ++i) {
        sdY[i] = values[i];
        vY[i] = values[i] * values[i];
    }
}
void Fitting::read_sdZ(double* values) {
    for (int i = 0; i < allocated[0]; ++i) {
        sdZ[i] = values[i];
        vZ[i] = values[i] * values[i];
    }
}

void Fitting::read_EvX(int k, double* values) {
    if (k < 0 || k >= allocated[2]) return;
    for (int i = 0; i < allocated[0]; ++i) {
        vX[i][k] = values[i];
        sdX[i][k] = std::sqrt(values[i]);
    }
}
void Fitting::read_EvY(double* values) {
    for (int i = 0; i < allocated[0]; ++i) {
        vY[i] = values[i];
        sdY[i] = std::sqrt(values[i]);
    }
}
void Fitting::read_EvZ(double* values) {
    for (int i = 0; i < allocated[0]; ++i) {
        vZ[i] = values[i];
        sdZ[i] = std::sqrt(values[i]);
    }
}

void Fitting::read_additional_parameters(int i, ...) {
    va_list values;
    va_start(values, i);
    for (int k = 0; k < allocated[3]; ++k) {
        double v = va_arg(values, double);
        if (i >= 0 && i < allocated[0]) extra[i][k] = v;
    }
    va_end(values);
}

void Fitting::set_initial_parameters(double* values) {
    copyInto(p, values, allocated[1]);
}
void Fitting::set_parameters_pertubation(double* values) {
    copyInto(parameterPerturbation, values, allocated[1]);
}
void Fitting::set_variables_pertubation(double* values) {
    copyInto(variablePerturbation, values, allocated[2]);
}
void Fitting::set_type_of_regression(short value) {
    type = value;
}

void Fitting::note(const char* format, ...) const {
    if (history == nullptr) return;
    va_list args;
    va_start(args, format);
    vornex::vcfprintf(history, format, args);
    va_end(args);
}

bool Fitting::set_history(const char* path) {
    // The history is followed while the fit runs, so it is streamed; the file it replaces
    // stays open until the new one exists.
    auto file = std::make_unique<AtomicFile>();
    std::FILE* stream = path != nullptr ? openOutput(*file, path, AtomicFile::Mode::Stream) : nullptr;
    if (stream == nullptr) {
        if (history != stderr)
            note("%s\n", path == nullptr ? "No history file named"
                                          : outputFailure(*file, false).c_str());
        return false;
    }
    if (ownedHistory) ownedHistory->commit();
    ownedHistory = std::move(file);
    history = stream;
    return true;
}

// --- evaluation --------------------------------------------------------------------------

double Fitting::perturbation(double setting, double value) const {
    const double step = setting * std::max(1.0, std::fabs(value));
    return step != 0.0 ? step : 1e-6 * std::max(1.0, std::fabs(value));
}

bool Fitting::evaluateAllPoints() {
    for (int i = 0; i < numberOfPoints; ++i) {
        (model->*function)(X[i], p, Y[i], Z[i], extra[i], errorCode);
        if (errorCode != 0) return false;
    }
    return true;
}

bool Fitting::calculateDerivatives() {
    const int m = numberOfVariables;
    std::vector<double> x(m);
    double yPlus = 0, zPlus = 0, yMinus = 0, zMinus = 0;
    // The model at x and p with one entry of `target` moved by +h and by -h.
    auto centralDifference = [&](int i, double& entry, double h) {
        const double saved = entry;
        entry = saved + h;
        (model->*function)(x.data(), p, yPlus, zPlus, extra[i], errorCode);
        if (errorCode == 0) {
            entry = saved - h;
            (model->*function)(x.data(), p, yMinus, zMinus, extra[i], errorCode);
        }
        entry = saved;
        return errorCode == 0;
    };
    for (int i = 0; i < numberOfPoints; ++i) {
        copyInto(x.data(), X[i], m);
        for (int j = 0; j < numberOfParameters; ++j) {
            const double h = perturbation(parameterPerturbation[j], p[j]);
            if (!centralDifference(i, p[j], h)) return false;
            dYdp[i][j] = (yPlus - yMinus) / (2.0 * h);
            if (usesZ()) dZdp[i][j] = (zPlus - zMinus) / (2.0 * h);
        }
        if (!adjustsVariables()) continue;
        for (int k = 0; k < m; ++k) {
            const double h = perturbation(variablePerturbation[k], x[k]);
            if (!centralDifference(i, x[k], h)) return false;
            dYdX[i][k] = (yPlus - yMinus) / (2.0 * h);
            if (type == 0) dZdX[i][k] = (zPlus - zMinus) / (2.0 * h);
        }
    }
    return true;
}

double Fitting::sumOfSquares() const {
    double sum = 0.0;
    for (int i = 0; i < numberOfPoints; ++i) {
        if (adjustsVariables())
            for (int k = 0; k < numberOfVariables; ++k) {
                const double e = X[i][k] - Xm[i][k];
                sum += e * e / vX[i][k];
            }
        sum += (Y[i] - Ym[i]) * (Y[i] - Ym[i]) / vY[i];
        if (usesZ()) sum += (Z[i] - Zm[i]) * (Z[i] - Zm[i]) / vZ[i];
    }
    return sum;
}

void Fitting::calculateResiduals() {
    for (int i = 0; i < numberOfPoints; ++i) {
        eY[i] = Y[i] - Ym[i];
        eZ[i] = usesZ() ? Z[i] - Zm[i] : 0.0;
        if (adjustsVariables())
            for (int k = 0; k < numberOfVariables; ++k) eX[i][k] = X[i][k] - Xm[i][k];
    }
}

// --- the linearised problem ------------------------------------------------------------

// Per point: D = diag(1/vX) + gY gY^T/vY + gZ gZ^T/vZ (inverted), Q = eX/vX + gY eY/vY +
// gZ eZ/vZ and S = gY hY^T/vY + gZ hZ^T/vZ, with g the derivatives in X, h those in p.
void Fitting::buildPointMatrices() {
    const int m = numberOfVariables, P = numberOfParameters;
    const bool z = usesZ();
    for (int i = 0; i < numberOfPoints; ++i) {
        const double* gY = dYdX[i];
        const double* gZ = dZdX[i];
        for (int k = 0; k < m; ++k)
            for (int l = 0; l < m; ++l) {
                D[k][l] = (k == l ? 1.0 / vX[i][k] : 0.0) + gY[k] * gY[l] / vY[i];
                if (z) D[k][l] += gZ[k] * gZ[l] / vZ[i];
            }
        // A point whose matrix cannot be inverted keeps its previous inverse.
        if (inverse(D, m) != 0)
            note("Ill-defined variable matrix\n");
        else
            for (int k = 0; k < m; ++k) copyInto(Dinv[i][k], D[k], m);
        for (int k = 0; k < m; ++k) {
            Q[i][k] = eX[i][k] / vX[i][k] + gY[k] * eY[i] / vY[i];
            if (z) Q[i][k] += gZ[k] * eZ[i] / vZ[i];
            for (int j = 0; j < P; ++j) {
                S[i][k][j] = gY[k] * dYdp[i][j] / vY[i];
                if (z) S[i][k][j] += gZ[k] * dZdp[i][j] / vZ[i];
            }
        }
    }
}

// U = sum hY eY/vY + hZ eZ/vZ, T = sum hY hY^T/vY + hZ hZ^T/vZ; with adjusted variables
// the points' own optimum is eliminated: W = S^T D^-1, A = T - sum W S, b = sum W Q - U.
void Fitting::buildParameterMatrix() {
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    const bool z = usesZ();
    for (int j = 0; j < P; ++j) {
        U[j] = 0.0;
        for (int l = 0; l < P; ++l) T[j][l] = 0.0;
        for (int i = 0; i < N; ++i) {
            U[j] += dYdp[i][j] * eY[i] / vY[i];
            if (z) U[j] += dZdp[i][j] * eZ[i] / vZ[i];
            for (int l = 0; l < P; ++l) {
                T[j][l] += dYdp[i][j] * dYdp[i][l] / vY[i];
                if (z) T[j][l] += dZdp[i][j] * dZdp[i][l] / vZ[i];
            }
        }
    }
    for (int j = 0; j < P; ++j) {
        copyInto(A[j], T[j], P);
        b[j] = -U[j];
    }
    if (!adjustsVariables()) return;
    for (int i = 0; i < N; ++i) {
        for (int j = 0; j < P; ++j)
            for (int k = 0; k < m; ++k) {
                double sum = 0.0;
                for (int l = 0; l < m; ++l) sum += S[i][l][j] * Dinv[i][l][k];
                W[i][j][k] = sum;
            }
        for (int j = 0; j < P; ++j)
            for (int k = 0; k < m; ++k) {
                for (int l = 0; l < P; ++l) A[j][l] -= W[i][j][k] * S[i][k][l];
                b[j] += W[i][j][k] * Q[i][k];
            }
    }
}

// dp = A^-1 b, dX = -D^-1 (Q + S dp), and the responses' linearised changes.
void Fitting::calculateChanges() {
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    for (int j = 0; j < P; ++j) {
        dp[j] = 0.0;
        for (int l = 0; l < P; ++l) dp[j] += A[j][l] * b[l];
    }
    std::vector<double> q(m);
    for (int i = 0; i < N; ++i) {
        Fp[i] = Gp[i] = Fx[i] = Gx[i] = 0.0;
        for (int j = 0; j < P; ++j) {
            Fp[i] += dYdp[i][j] * dp[j];
            if (usesZ()) Gp[i] += dZdp[i][j] * dp[j];
        }
        if (!adjustsVariables()) continue;
        for (int k = 0; k < m; ++k) {
            q[k] = Q[i][k];
            for (int j = 0; j < P; ++j) q[k] += S[i][k][j] * dp[j];
        }
        for (int k = 0; k < m; ++k) {
            dX[i][k] = 0.0;
            for (int l = 0; l < m; ++l) dX[i][k] -= Dinv[i][k][l] * q[l];
            Fx[i] += dYdX[i][k] * dX[i][k];
            if (usesZ()) Gx[i] += dZdX[i][k] * dX[i][k];
        }
    }
}

void Fitting::calculateLinearisedChange() {
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    deltaL = 0.0;
    for (int i = 0; i < N; ++i) {
        if (adjustsVariables())
            for (int k = 0; k < m; ++k) deltaL += eX[i][k] * dX[i][k] / vX[i][k];
        deltaL += (Fx[i] + Fp[i]) * eY[i] / vY[i];
        if (usesZ()) deltaL += (Gx[i] + Gp[i]) * eZ[i] / vZ[i];
    }
    note("\n\nDelta linearized sum of squares = %lg\n", deltaL);
    note("Changes in parameters\n");
    for (int j = 0; j < P; ++j) note("%lg\t", dp[j]);
    note("\n");
    if (printLevel >= 3 && adjustsVariables()) {
        note("Changes in independent variables\n");
        for (int i = 0; i < N; ++i) {
            for (int k = 0; k < m; ++k) note("%lg\t\t", dX[i][k]);
            note("\n");
        }
    }
    if (deltaL >= 0.0) {  // the step always goes downhill
        deltaL = -deltaL;
        for (int i = 0; i < N; ++i)
            for (int k = 0; k < m; ++k) dX[i][k] = -dX[i][k];
        for (int j = 0; j < P; ++j) dp[j] = -dp[j];
    }
}

void Fitting::limitStepFactor() {
    if (adjustsVariables() && variableLimit != 2) {
        for (int i = 0; i < numberOfPoints; ++i)
            for (int k = 0; k < numberOfVariables; ++k) {
                if (X[i][k] + al * dX[i][k] >= 0.0) continue;
                al /= reduction;
                if (al < 1e-4) {
                    note("delX too big, it = %d al = %lg \n", iteration, al);
                    return;
                }
            }
    }
    if (parameterLimit == 2) return;
    for (int j = 0; j < numberOfParameters; ++j) {
        if (maxParameterChange - std::fabs(al * dp[j]) > 0.0) continue;
        al /= reduction;
        if (al < 1e-5) {
            note("delP too big, it = %d al = %lg \n", iteration, al);
            return;
        }
    }
}

void Fitting::moveEstimates(double factor) {
    if (adjustsVariables())
        for (int i = 0; i < numberOfPoints; ++i)
            for (int k = 0; k < numberOfVariables; ++k) X[i][k] += factor * dX[i][k];
    for (int j = 0; j < numberOfParameters; ++j) p[j] += factor * dp[j];
}

// Trials along the step: the first one tests convergence, the next ones accept the step
// when the sum of squares fell by at least the acceptance fraction of the linearised
// decrease, and shorten it otherwise.
void Fitting::runTrials() {
    moveEstimates(al);
    trial = 0;
    accepted = 0;
    bool evaluated = false;
    for (;;) {
        ++trial;
        if (al < 1e-5) {
            note("Linearized function does not sufficiently approximate true function, "
                         "it = %d, al = %lg\n",
                         iteration, al);
            return;
        }
        if (!evaluated) {
            if (evaluateAllPoints()) {
                ssqNew = sumOfSquares();
            } else {
                ssqNew = 1e20;
                errorCode = 0;
            }
            if (printLevel >= 2 && trial == 1)
                note("al ssqn \n %lg  %lg \n", al, ssqNew);
            evaluated = true;
        }
        difference = ssqNew - ssq;
        if (trial == 1) {
            // An exact fit (ssqNew = 0) has converged too.
            if (ssqNew == 0.0 || std::fabs(difference) / ssqNew < tolerance) finished = 1;
            continue;  // the acceptance test follows with the same step
        }
        const double expected = (2.0 * al - al * al) * acceptance * deltaL;
        if (difference <= 0.0 && (difference - expected < 0.0 || deltaL == 0.0)) {
            accepted = 1;
            relativeChange = ssqNew > 0.0 ? (ssq - ssqNew) / ssqNew : 0.0;
            if (std::fabs(relativeChange) < tolerance) finished = 1;
            return;
        }
        // Shorten: the estimates go to the old point plus the new factor times the changes.
        al /= reduction;
        moveEstimates(-(reduction - 1.0) * al);
        evaluated = false;
    }
}

// --- protocol ----------------------------------------------------------------------------

void Fitting::printProtocol() const {
    const int N = numberOfPoints, P = numberOfParameters, m = numberOfVariables;
    if (printLevel > 0) {
        note("Iteration %d  \nSum of the squares %lg\n  Parameters ", iteration, ssq);
        for (int j = 0; j < P; ++j) note("%lg ", p[j]);
        note("\n\n");
    }
    if (printLevel > 3) {
        static const char* const headers[4] = {"i\t\tX\t\tXm\t\tY\t\tYm\t\tZ\t\tZm\n",
                                               "i\t\tX\t\tXm\t\tY\t\tYm\n",
                                               "i\t\tY\t\tYm\t\tZ\t\tZm\n", "i\t\tY\t\tYm\n"};
        note("Estimated true values of variables\n");
        if (type >= 0 && type <= 3) note("%s", headers[type]);
        for (int i = 0; i < N; ++i) {
            note("%d\t\t", i);
            if (adjustsVariables())
                for (int k = 0; k < m; ++k)
                    note("%12lg\t\t%12lg\t\t", X[i][k], Xm[i][k]);
            if (usesZ())
                note("%12lg\t\t%12lg\t\t%12lg\t\t%12lg\n", Y[i], Ym[i], Z[i], Zm[i]);
            else
                note("%12lg\t\t%12lg\n", Y[i], Ym[i]);
        }
        note("\n");
    }
    if (printLevel > 6) {
        if (adjustsVariables()) {
            note("Derivatives with respect to the variables\n");
            note(type == 0 ? "i\t\tdFx\t\tdGx\n" : "i\t\tdFx\n");
            for (int i = 0; i < N; ++i) {
                note("%d\t\t", i);
                for (int k = 0; k < m; ++k) note("%12lg\t\t", dYdX[i][k]);
                if (type == 0)
                    for (int k = 0; k < m; ++k) note("%12lg\t\t", dZdX[i][k]);
                note("\n");
            }
            note("\n");
        }
        note("Derivatives with respect to the parameters\n");
        note(usesZ() ? "i\t\tdFp\t\tdGp\n" : "i\t\tdFp\n");
        for (int i = 0; i < N; ++i) {
            note("%d\t\t", i);
            for (int j = 0; j < P; ++j) note("%12lg\t\t", dYdp[i][j]);
            if (usesZ())
                for (int j = 0; j < P; ++j) note("%12lg\t\t", dZdp[i][j]);
            note("\n");
        }
    }
}

void Fitting::printSummary() {
    const int P = numberOfParameters;
    const int freedom = numberOfPoints - numberOfParameters;
    note("\nRegression summary\n\n");
    note("Sum of the squares of the weighted residuals : %lg\n\n", ssq);
    if (freedom > 0) {
        variance = ssqNew / freedom;
    } else {
        // No degrees of freedom: the scatter says nothing, so the weights are taken at face
        // value (variance factor 1) rather than dividing by zero.
        variance = 1.0;
        note("No degrees of freedom left: the variances of the data are taken as they are\n");
    }
    note("Estimated variance of the fit : %lg\n", variance);
    note("Estimated parameters\t: ");
    for (int j = 0; j < P; ++j) note("%lg\t", p[j]);
    note(" \n\n");
    for (int j = 0; j < P; ++j) {
        for (int l = 0; l < P; ++l) covariance[j][l] = variance * A[j][l];
        sdp[j] = std::sqrt(std::max(0.0, covariance[j][j]));
    }
    for (int j = 0; j < P; ++j)
        for (int l = 0; l < P; ++l) {
            const double scale = sdp[j] * sdp[l];
            correlation[j][l] = scale > 0.0 ? covariance[j][l] / scale : 0.0;
        }
    note("Standard deviations : \n\n ");
    for (int j = 0; j < P; ++j) note("%lg ", sdp[j]);
    note("\n\nCovariance matrix ");
    for (int j = 0; j < P; ++j) {
        for (int l = 0; l < P; ++l) note("%lg  ", covariance[j][l]);
        note("\n");
    }
    note("\nCorrelation coefficient matrix ");
    for (int j = 0; j < P; ++j) {
        for (int l = 0; l < P; ++l) note("%lg  ", correlation[j][l]);
        note("\n");
    }
}

// --- the regression ----------------------------------------------------------------------

void Fitting::regres(short& err) {
    initialize();
    if (!countsMatchTables() || model == nullptr || function == nullptr) {
        note("Fitting not ready: no model, or counts changed since allocate_memory\n");
        err = static_cast<short>(errorCode = 1);
        return;
    }
    while (!finished) {
        al = initialStep;
        if (!evaluateAllPoints() || !calculateDerivatives()) {
            note("Error in function evaluation\n");
            err = static_cast<short>(errorCode);
            return;
        }
        ssq = sumOfSquares();
        printProtocol();
        ++iteration;
        calculateResiduals();
        if (adjustsVariables()) buildPointMatrices();
        buildParameterMatrix();
        if (inverse(A, numberOfParameters) != 0) {
            note("Ill-defined parameter matrix\n");
            errorCode = 1;
            err = 1;
            return;
        }
        calculateChanges();
        calculateLinearisedChange();
        limitStepFactor();
        runTrials();
        // Tested on every iteration, accepted step or not: a fit whose steps are never
        // accepted would otherwise run for ever.
        if (!finished && iteration > maxIterations) {
            note("Maximum iteration exceeded %d\n", iteration);
            finished = 1;
        }
    }
    // The summary describes the point the fit ends at: after an iteration without an
    // accepted step that is (within the last tiny step) the start of that iteration.
    if (!accepted) ssqNew = ssq;
    printSummary();
    err = static_cast<short>(errorCode);
}

}  // namespace vornex

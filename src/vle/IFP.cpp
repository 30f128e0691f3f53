#include "vle/IFP.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/Diagnostics.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {

constexpr double kLowFraction = -1e-5;
constexpr double kHighFraction = 1.00001;
// Successive-substitution steps that refine a Raoult start; each costs two phase evaluations.
constexpr int kSubstitutionSteps = 30;
// Largest gap of ln f between the phases of an answer, and the full Newton steps on the
// plain residuals that may close it after the solver has converged.
constexpr double kLnFugacityTolerance = 1e-7;
constexpr int kPolishSteps = 4;

bool inOpenRange(double v) {
    return v > kLowFraction && v < kHighFraction;
}

}  // namespace

IFP::IFP() {
    setUpSolver();
}

IFP::IFP(FluidPhase& liquid, FluidPhase& vapour) : IdealMixture(liquid, vapour) {
    setUpSolver();
}

IFP::~IFP() = default;

void IFP::setUpSolver() {
    solver.verbose = 0;
    solver.error = 0;
    solver.context = nullptr;
}

void IFP::number_of_components(int count) {
    IdealMixture::number_of_components(count);
    if (n <= 0) return;
    m = 2 * n + 4;
    solver._setSysEquationToSolve(this,
                                  static_cast<EquationSystem>(&IFP::calculate_vector_function), m);
    const auto size = static_cast<std::size_t>(m);
    startVector.assign(size, 0.0);
    scaleVector.assign(size, 0.0);
    derivativeVector.assign(size, 0.0);
    solver.itermax = 50;
    solver.tolerance = 1e-8;
    solver.steptol = 0.001;
    solver.dampmin = 0.001;
}

void IFP::set_type_of_problem(short t) {
    type = t;
    std::fill(std::begin(weights), std::end(weights), 0.0);
    const int digits[2] = {t / 10, t % 10};
    for (int row = 0; row < 2; ++row) {
        const int d = digits[row];
        if (d >= 1 && d <= 5) {
            weights[row * 5 + d - 1] = 1.0;
        } else {
            status = 2;
            std::fputs("Type of problem not defined !\n", stderr);
        }
    }
}

// ------------------------------------------------------------------ evaluation

bool IFP::describePhases() {
    secondPhase->describe();
    firstPhase->describe();
    return secondPhase->error == 0 && firstPhase->error == 0;
}

bool IFP::correctPhaseKinds() {
    if (liquidLiquid == 0) {
        if (secondPhase->phase != 1 || firstPhase->phase != 2) {
            secondPhase->set_the_phase_as(1);
            firstPhase->set_the_phase_as(2);
            return true;
        }
    } else if (firstPhase->phase != 2 || secondPhase->phase != 2) {
        firstPhase->set_the_phase_as(2);
        secondPhase->set_the_phase_as(2);
        return true;
    }
    return false;
}

bool IFP::is_it_the_trivial_solution() {
    // The two compositions of a true point differ by some multiple of the feed's least
    // fraction: at a pure end (a feed with 1e-9 of one component) by about that much. Only
    // components present count, and with one of them x = y is the pure component's answer.
    int present = 0;
    double least = 1.0;
    for (int i = 0; i < n; ++i)
        if (z[static_cast<std::size_t>(i)] > 0.0) {
            ++present;
            least = std::min(least, z[static_cast<std::size_t>(i)]);
        }
    if (n < 2 || present == 1) return false;
    double d = 0.0;
    for (int i = 0; i < n; ++i) d += std::fabs(current.x[i] - current.y[i]);
    return d < 1e-7 * std::min(1.0, least / 0.01);
}

bool IFP::the_calculated_vector_is_not_good() {
    for (int i = 0; i < n; ++i) {
        double& xi = current.x[i];
        double& yi = current.y[i];
        if (inOpenRange(xi) && inOpenRange(yi)) continue;
        for (double v : {xi, yi})
            if (v < -1.5 || v > 1.5) return true;
        for (double* v : {&xi, &yi}) {
            if (*v <= kLowFraction) *v = 1e-10;
            if (*v >= kHighFraction) *v = 0.999999999;
        }
    }
    const double& nV = current.nV;
    const double& nL = current.nL;
    if (current.T <= 0.0 || current.P <= 0.0 || nV < -1e-6 || nL < -1e-6 || nV > 1.000001 ||
        nL > 1.000001)
        return true;
    if (correctPhaseKinds()) return true;
    if (checkFlag && markedComponent >= 0 && markedComponent < n) {
        const double xk = current.x[markedComponent], yk = current.y[markedComponent];
        if (xk < 0.99 && yk > xk) return true;
    }
    return is_it_the_trivial_solution();
}

void IFP::calculate_vector_function(double* X, double* F, double** J, int& error, int order,
                                    void*) {
    error = 0;
    if (!firstPhase || !secondPhase) {
        error = 1;
        return;
    }
    current.T = X[0];
    current.P = X[1];
    current.nL = X[2];
    current.nV = X[3];
    for (int i = 0; i < n; ++i) {
        current.x[i] = X[4 + i];
        current.y[i] = X[4 + n + i];
    }
    if (the_calculated_vector_is_not_good()) {
        error = 1;
        return;
    }
    // The repaired fractions are the point evaluated.
    for (int i = 0; i < n; ++i) {
        X[4 + i] = current.x[i];
        X[4 + n + i] = current.y[i];
    }
    apply_conditions();
    if (!describePhases()) {
        error = 1;
        return;
    }
    const FluidPhase& l = *firstPhase;
    const FluidPhase& v = *secondPhase;
    const double nL = current.nL, nV = current.nV;
    current.V = nL * l.V + nV * v.V;
    current.phi = current.V != 0.0 ? nV * v.V / current.V : 0.0;
    current.Fv = N != 0.0 ? nV / N : 0.0;

    double closure = 0.0;
    for (int i = 0; i < n; ++i) {
        F[i] = nL * current.x[i] + nV * current.y[i] - bulkAmount[i];
        // A component absent from the feed is absent from both phases: its fugacities are
        // both zero, and their logarithms no equation.
        F[n + i] = isAbsent(i) ? absentRow(i) : v.lnFugacity[i] - l.lnFugacity[i];
        closure += current.x[i] - current.y[i];
    }
    F[2 * n] = closure;
    F[2 * n + 1] = nV + nL - N;
    for (int row = 0; row < 2; ++row) {
        const double* w = weights + 5 * row;
        F[2 * n + 2 + row] = w[0] * (current.T - spec.T) + w[1] * (current.P - spec.P) +
                             w[2] * (nV - spec.nV) + w[3] * (current.V - spec.V) * N +
                             w[4] * (current.phi - spec.phi);
    }
    if (order == 0) return;

    for (int r = 0; r < m; ++r) std::fill(J[r], J[r] + m, 0.0);
    fill_in_the_Jacobian_matrix(J);
    for (int row = 0; row < 2; ++row) {
        const double* w = weights + 5 * row;
        double* Jr = J[2 * n + 2 + row];
        if (w[3] != 0.0) {
            set_constraint(J, 4, row + 1);
            for (int c = 0; c < m; ++c) Jr[c] *= w[3] * N;
        } else if (w[4] != 0.0) {
            set_constraint(J, 5, row + 1);
            for (int c = 0; c < m; ++c) Jr[c] *= w[4];
        } else {
            Jr[0] = w[0];
            Jr[1] = w[1];
            Jr[3] = w[2];
        }
    }
}

void IFP::fill_in_the_Jacobian_matrix(double** J) {
    const FluidPhase& l = *firstPhase;
    const FluidPhase& v = *secondPhase;
    const double nL = current.nL, nV = current.nV;
    for (int i = 0; i < n; ++i) {
        double* mass = J[i];
        mass[2] = current.x[i];
        mass[3] = current.y[i];
        mass[4 + i] = nL;
        mass[4 + n + i] = nV;
        double* fug = J[n + i];
        if (isAbsent(i)) {
            // The phase that carries the most of the feed takes its fraction from the mass
            // balance, the other one from this row.
            fug[nL >= nV ? 4 + n + i : 4 + i] = 1.0;
            J[2 * n][4 + i] = 1.0;
            J[2 * n][4 + n + i] = -1.0;
            continue;
        }
        fug[0] = v.dlnfdT[i] - l.dlnfdT[i];
        fug[1] = v.dlnfdP[i] - l.dlnfdP[i];
        for (int j = 0; j < n; ++j) {
            fug[4 + j] = -l.dlnfdx[i][j];
            fug[4 + n + j] = v.dlnfdx[i][j];
        }
        J[2 * n][4 + i] = 1.0;
        J[2 * n][4 + n + i] = -1.0;
    }
    J[2 * n + 1][2] = 1.0;
    J[2 * n + 1][3] = 1.0;
}

void IFP::set_constraint(double** J, int quantity, int which) {
    if (which != 1 && which != 2) return;
    double* row = J[2 * n + 1 + which];
    const FluidPhase& l = *firstPhase;
    const FluidPhase& v = *secondPhase;
    const double nL = current.nL, nV = current.nV;
    switch (quantity) {
        case 1:
        case 2:
        case 3:
            std::fill(row, row + m, 0.0);
            row[quantity == 3 ? 3 : quantity - 1] = 1.0;
            break;
        case 4:
            row[0] = nV * v.dVdT + nL * l.dVdT;
            row[1] = nV * v.dVdP + nL * l.dVdP;
            row[2] = l.V;
            row[3] = v.V;
            for (int i = 0; i < n; ++i) {
                row[4 + i] = nL * l.dVdx[i];
                row[4 + n + i] = nV * v.dVdx[i];
            }
            break;
        case 5: {
            const double a = nV * v.V;
            const double D = nL * l.V + nV * v.V;
            const double D2 = D * D;
            if (D2 == 0.0) {
                std::fill(row, row + m, 0.0);
                break;
            }
            row[0] = (nV * v.dVdT * D - a * (nV * v.dVdT + nL * l.dVdT)) / D2;
            row[1] = (nV * v.dVdP * D - a * (nV * v.dVdP + nL * l.dVdP)) / D2;
            row[2] = -a * l.V / D2;
            row[3] = (v.V * D - a * v.V) / D2;
            for (int i = 0; i < n; ++i) {
                row[4 + i] = -a * nL * l.dVdx[i] / D2;
                row[4 + n + i] = (nV * v.dVdx[i] * D - a * nV * v.dVdx[i]) / D2;
            }
            break;
        }
        default:
            break;
    }
}

bool IFP::calculate_derivatives(double* dX, int along, int held) {
    if (!firstPhase || !secondPhase || m == 0) return false;
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(m),
                                          std::vector<double>(static_cast<std::size_t>(m), 0.0));
    std::vector<double*> J(static_cast<std::size_t>(m));
    for (int r = 0; r < m; ++r) J[r] = rows[r].data();
    fill_in_the_Jacobian_matrix(J.data());
    set_constraint(J.data(), along, 1);
    set_constraint(J.data(), held, 2);
    std::vector<double> e(static_cast<std::size_t>(m), 0.0);
    e[2 * n + 2] = 1.0;
    int error = 0;
    solve_the_linear_system(J.data(), e.data(), dX, m, error);
    if (error != 0) {
        std::fill(dX, dX + m, 0.0);
        return false;
    }
    return std::all_of(dX, dX + m, [](double d) { return std::isfinite(d); });
}

bool IFP::isAbsent(int i) const {
    return bulkAmount[static_cast<std::size_t>(i)] == 0.0;
}

double IFP::absentRow(int i) const {
    return current.nL >= current.nV ? current.y[i] : current.x[i];
}

// ------------------------------------------------------------------- solving

bool IFP::trialIsEmpty() const {
    double sx = 0.0, sy = 0.0;
    for (int i = 0; i < n; ++i) {
        sx += std::fabs(trial.x[i]);
        sy += std::fabs(trial.y[i]);
    }
    if (!(sx > 0.0) || !(sy > 0.0)) return true;
    switch (type) {
        case 12:
        case 21:
            return false;
        case 23:
        case 24:
        case 25:
        case 32:
        case 42:
        case 52:
            return !(trial.T > 0.0);
        default:
            return !(trial.P > 0.0);
    }
}

void IFP::startBy(int flag) {
    raoultStart_ = false;
    switch (flag) {
        case 2:
            historyPrint("from Raoult's law");
            raoultStart_ = true;
            IdealMixture::calculateVLE();
            if (status == 0) {
                substituteRatios(kSubstitutionSteps);
            } else if (startFromBinarySaturation()) {
                // The Raoult start failed; the saturation start is the retry.
                status = 0;
                raoultStart_ = false;
            }
            break;
        case 3:
            historyPrint("from the pseudo-critical coordinates of the mixture");
            initialize_from_the_pseudo_critical_point();
            break;
        case 5:
            initializeFromFile();
            break;
        case 0:
            historyPrint("from the later calculated equilibrium state");
            switch (type) {
                case 12:
                case 21:
                    current.T = trial.T = spec.T;
                    current.P = trial.P = spec.P;
                    break;
                case 13:
                case 31:
                    current.T = trial.T = spec.T;
                    vaporization_ratio(N != 0.0 ? spec.nV / N : 0.0);
                    current.P = trial.P;
                    break;
                case 14:
                case 15:
                case 41:
                case 51:
                    trial.T = current.T = spec.T;
                    current.P = trial.P;
                    break;
                case 23:
                case 32:
                    current.T = trial.T;
                    current.P = trial.P = spec.P;
                    vaporization_ratio(N != 0.0 ? spec.nV / N : 0.0);
                    break;
                case 24:
                case 25:
                case 42:
                case 52:
                    current.T = trial.T;
                    current.P = trial.P = spec.P;
                    break;
                default:
                    current.T = trial.T;
                    current.P = trial.P;
                    break;
            }
            current.x = trial.x;
            current.y = trial.y;
            break;
        default:
            status = 1;
            std::fputs("Type of initialization not defined !\n", stderr);
            break;
    }
}

void IFP::initialize() {
    status = 0;
    historyPrint("Initialization ");
    // A fresh object has no previous state to start from: Raoult's law stands in for it.
    startBy(initFlag == 0 && trialIsEmpty() ? 2 : initFlag);
    if (historyFlag) {
        historyPrint("T %lg P %lg", current.T, current.P / 100000.0);
        for (double v : current.x) historyPrint("%lg ", v);
        for (double v : current.y) historyPrint("%lg ", v);
        historyPrint("\n");
    }
    if (!firstPhase || !secondPhase || m == 0) {
        status = 5;
        return;
    }
    loadStartVector();
}

void IFP::loadStartVector() {
    // A solve that starts on the wrong sides would fail at its first evaluation, before
    // the solver could retry.
    correctPhaseKinds();
    apply_conditions();
    describePhases();
    startVector[0] = current.T;
    startVector[1] = current.P;
    startVector[2] = current.nL;
    startVector[3] = current.nV;
    for (int i = 0; i < n; ++i) {
        startVector[4 + i] = current.x[i];
        startVector[4 + n + i] = current.y[i];
    }
    std::copy(startVector.begin(), startVector.end(), solver.x);
    std::copy(startVector.begin(), startVector.end(), solver.x0);
    scaleVector[0] = 50.0;
    scaleVector[1] = 5000000.0;
    scaleVector[2] = scaleVector[3] = 0.5 * N;
    for (int i = 4; i < m; ++i) scaleVector[i] = 0.3;
    std::copy(scaleVector.begin(), scaleVector.end(), solver.scale);
}

bool IFP::runSolver() {
    const int code = solver.solve();
    // The last evaluation may have been a rejected trial: the state and the phases go back
    // to the answer, so that what callers read and differentiate is the solution.
    int error = 0;
    std::vector<double> F(static_cast<std::size_t>(m));
    calculate_vector_function(solver.x, F.data(), nullptr, error, 0, nullptr);
    return code == 0 && error == 0 && polishAnswer(F);
}

bool IFP::residualsAreSmall(const std::vector<double>& F) const {
    for (int r = 0; r < m; ++r) {
        // Mass balances and totals in moles of the feed, fugacity rows in ln f.
        const double allowed = r >= n && r < 2 * n ? kLnFugacityTolerance : 1e-9 * std::max(N, 1.0);
        if (!(std::fabs(F[static_cast<std::size_t>(r)]) <= allowed)) return false;
    }
    return true;
}

bool IFP::polishAnswer(std::vector<double>& F) {
    // The solver measures each residual against its row of the Jacobian, whose entry for a
    // mole fraction is 1/x: a fugacity row of a component at 1e-10 passes at a gap of 1e-8/x
    // in ln f, and one at 1e-60 at any gap. Full Newton steps on the plain residuals finish
    // the answer, or find that there is none.
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(m),
                                          std::vector<double>(static_cast<std::size_t>(m)));
    std::vector<double*> J(static_cast<std::size_t>(m));
    for (int r = 0; r < m; ++r) J[r] = rows[r].data();
    std::vector<double> X(solver.x, solver.x + m), dX(static_cast<std::size_t>(m)),
        minusF(static_cast<std::size_t>(m));
    for (int step = 0; step < kPolishSteps; ++step) {
        int error = 0;
        calculate_vector_function(X.data(), F.data(), J.data(), error, 1, nullptr);
        if (error != 0) break;
        if (residualsAreSmall(F)) {
            std::copy(X.begin(), X.end(), solver.x);
            return true;
        }
        for (int r = 0; r < m; ++r) minusF[r] = -F[r];
        solve_the_linear_system(J.data(), minusF.data(), dX.data(), m, error);
        if (error != 0) break;
        for (int c = 0; c < m; ++c) X[c] += dX[c];
    }
    // Back to the solver's answer, the state callers read.
    int error = 0;
    calculate_vector_function(solver.x, F.data(), nullptr, error, 0, nullptr);
    return false;
}

void IFP::calculateVLE(short flag) {
    refusal.clear();
    dewInstead_.clear();
    // Without its models or a start the solve fails at its initialization, as it says.
    const bool startable = firstPhase && secondPhase && m != 0 &&
                           (flag == 0 || flag == 2 || flag == 3 || flag == 5);
    if (startable && refuseBadInput()) return;
    set_initialization_flag(flag);
    initialize();
    if (status != 0 && (type == 12 || type == 21) && firstPhase && secondPhase && m != 0) {
        // Raoult's law, or the saturation point, leaves the feed in one phase where the
        // models split it: the flash from the feed's own trial phases.
        status = 1;
        judgeSplitAnswer();
        estimate_next_state();
        return;
    }
    if (status != 0) {
        status = 5;
        std::fputs("Initialization error\n", stderr);
        refusal = "no state: the solve could not be started";
        return;
    }
    startT_ = current.T;
    const VLECurrentState start = current;
    // An answer with its phases swapped (the liquid the lighter) is none: the retries run.
    bool solved = runSolver() && phasesInOrder();
    if (!solved && raoultStart_ && startFromBinarySaturation()) {
        loadStartVector();
        solved = runSolver() && phasesInOrder();
    }
    if (!solved && raoultStart_) solved = solveFromLowerPressures(start);
    const bool scanned = !solved && raoultStart_;
    if (scanned) solved = solveFromFeedInstability(start.P);
    if (!solved && raoultStart_) solved = solveFromColderSaturation();
    status = solved && phasesInOrder() ? 0 : 1;
    if (isSplitProblem())
        judgeSplitAnswer();
    else
        judgeAnswer();
    // A converged answer refused (the feed twice, or unstable) leaves the boundary where the
    // feed splits untried.
    if (status == 1 && raoultStart_ && !scanned) {
        const VLECurrentState refused = current;
        const std::string why = refusal;
        if (solveFromFeedInstability(start.P)) {
            status = 0;
            judgeAnswer();
        } else {
            current = refused;
            refusal = why;
            apply_conditions();
            describePhases();
        }
    }
    if (status == 1 && !dewInstead_.empty()) refusal = dewInstead_;
    estimate_next_state();
}

void IFP::calculateVLE() {
    if (historyFlag) {
        historyPrint("Calculate VLE Problem %d Bulk composition", type);
        for (double v : z) historyPrint("%lg ", v);
        historyPrint("\n");
        switch (type) {
            case 12:
                historyPrint("\tT %lg P %lg\n", spec.T, spec.P / 100000.0);
                break;
            case 13:
                historyPrint("\tT %lg Fv %lg\n", spec.T, spec.nV);
                break;
            case 23:
                historyPrint("\tP %lg Fv %lg\n", spec.P / 100000.0, spec.nV);
                break;
            default:
                historyPrint("Not defined\n");
                break;
        }
    }
    calculateVLE(initFlag);
    historyPrint("\n");
}

void IFP::estimate_next_state() {
    if (status != 0) return;
    switch (estimationMode) {
        case 1:
            estimate_next_state1();
            break;
        case 2:
            estimate_next_state2();
            break;
        case 3:
            estimate_next_state3();
            break;
        default:
            VLE::estimate_next_state();
            break;
    }
}

// ------------------------------------------------------- shared by the tracers

bool IFP::openCurveFile(OutputFile& file, const std::string& path, const char* sfx) {
    if (OutputFiles::checkSuffix(sfx) && file.open(path)) return true;
    status = 1;
    return false;
}

bool IFP::startCurve(const char* curve) {
    initFlag = tracerInitFlag;
    calculateVLE();
    if (status == 0 && isTwoPhaseAnswer()) return true;
    status = 3;
    if (startRetried)
        diagnostic("Can't find a starting point for the %s\n", curve);
    else
        vornex::cfprintf(stderr, "Can't find a starting point for the %s\n", curve);
    return false;
}

void IFP::keepConvergedPoint() {
    last.T = current.T;
    last.P = current.P;
    last.x = current.x;
    last.y = current.y;
}

void IFP::returnToLastPoint() {
    current.T = last.T;
    current.P = last.P;
    current.x = last.x;
    current.y = last.y;
}

}  // namespace vornex

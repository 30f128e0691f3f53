// Bubble, dew and flash points of a binary mixture: a liquid (selector 2) and a vapour
// (selector 1) of the same fluid with equal fugacities of both components and equal
// pressures, solved with the fluid's damped Newton solver for the two molar volumes and
// the missing mole fraction of component 1 (and T for the dew point at a given pressure).
// Also the evaluation of one phase of a mixture equilibrium shared by every mixture solve.
#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/MixtureSide.h"
#include "fluid/SaturationSolver.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

bool evaluateMixtureSide(FluidPhase& fluid, int selector, const double* composition, double Vm3,
                         MixtureSide& side) {
    const int n = fluid.nc;
    fluid.set_the_phase_as(selector);
    for (int i = 0; i < n; ++i) fluid.composition_of_component(i, composition[i]);
    fluid.volume(Vm3);
    fluid.error = 0;
    fluid.calculate_fugacities();
    if (fluid.error) return false;
    const auto un = static_cast<size_t>(n);
    side.n = n;
    side.P = fluid.P;
    side.dPdV = fluid.dPdV;
    side.EP = fluid.dPdT;
    side.f.assign(un, 0.0);
    side.dfdV.assign(un, 0.0);
    side.dfdP.assign(un, 0.0);
    side.E.assign(un, 0.0);
    side.mu.assign(un, 0.0);
    side.dmudV.assign(un, 0.0);
    side.DP.assign(un, 0.0);
    side.D.assign(un, std::vector<double>(un, 0.0));
    side.Dmu.assign(un, std::vector<double>(un, 0.0));
    bool finite = std::isfinite(side.P) && std::isfinite(side.dPdV) && std::isfinite(side.EP);
    for (size_t i = 0; i < un; ++i) {
        side.f[i] = fluid.fugacity[i];
        side.dfdV[i] = fluid.dfdV[i];
        side.dfdP[i] = fluid.dfdP[i];
        side.E[i] = fluid.dfdT[i] - fluid.dfdV[i] * fluid.dVdT;
        side.mu[i] = fluid.mur[i];
        side.dmudV[i] = fluid.dmudV[i];
        for (size_t j = 1; j < un; ++j) {
            side.D[i][j] = fluid.dfdx[i][j] - fluid.dfdx[i][0] -
                           (fluid.dVdx[j] - fluid.dVdx[0]) * fluid.dfdV[i];
            side.Dmu[i][j] = fluid.dmudx[i][j] - fluid.dmudx[i][0];
        }
        finite = finite && std::isfinite(side.f[i]) && std::isfinite(side.dfdV[i]) &&
                 std::isfinite(side.E[i]);
    }
    for (size_t j = 1; j < un; ++j) side.DP[j] = fluid.dPdx[j] - fluid.dPdx[0];
    return finite;
}

bool evaluateCoexistingSides(FluidPhase& fluid, const double* xl, double Vliquid, const double* yv,
                             double Vvapour, MixtureSide& l, MixtureSide& v, double* F) {
    if (!evaluateMixtureSide(fluid, 2, xl, Vliquid, l) ||
        !evaluateMixtureSide(fluid, 1, yv, Vvapour, v))
        return false;
    for (int i = 0; i < fluid.nc; ++i) F[i] = l.f[i] - v.f[i];
    return true;
}

bool evaluateBinarySide(FluidPhase& fluid, int selector, double x1, double Vm3, MixtureSide& side) {
    const double composition[2] = {1.0 - x1, x1};
    return evaluateMixtureSide(fluid, selector, composition, Vm3, side);
}

double binaryVolumeAtPressure(FluidPhase& fluid, int selector, double x1, double PPa) {
    if (fluid.nc != 2 || !(PPa > 0.0)) return 0.0;
    fluid.set_the_phase_as(selector);
    fluid.composition_of_component(0, 1.0 - x1);
    fluid.composition_of_component(1, x1);
    fluid.pressure(PPa / 1e5);
    fluid.error = 0;
    fluid.calculate_molar_volume();
    const double V = fluid.error == 0 && std::isfinite(fluid.V) && fluid.V > 0.0 ? fluid.V : 0.0;
    fluid.error = 0;
    return V;
}

void repairStartVolumes(FluidPhase& f, double x1, double y1, double& Vliquid, double& Vvapour) {
    MixtureSide l, v;
    const bool liquidOk = Vliquid > 0.0 && evaluateBinarySide(f, 2, x1, Vliquid, l) && l.P > 0.0;
    const bool vapourOk = Vvapour > 0.0 && evaluateBinarySide(f, 1, y1, Vvapour, v) && v.P > 0.0;
    if (liquidOk == vapourOk) return;
    const double V = liquidOk ? binaryVolumeAtPressure(f, 1, y1, l.P)
                              : binaryVolumeAtPressure(f, 2, x1, v.P);
    if (V > 0.0) (liquidOk ? Vvapour : Vliquid) = V;
}

Newton& bindMixtureSystem(FluidPhase& fluid, EquationSystem system, int n, const double* start) {
    Newton& solver = *fluid.systemSolver;
    solver._setSysEquationToSolve(&fluid, system, n);
    solver.itermax = 25;
    // The rows are scaled by their Jacobian sums, of which a liquid's dP/dV (~1e13) would let
    // the nominal 1e-11 stop with the phase pressures some 100 Pa apart.
    solver.tolerance = kSaturationTolerance;
    solver.steptol = 1e-8;
    solver.dampmin = 0.01;
    solver.verbose = 0;
    solver.numerical = 0;
    solver.context = nullptr;
    for (int j = 0; j < n; ++j) {
        solver.bounded[j] = 0;
        solver.scale[j] = 10000.0;
        solver.x[j] = solver.x0[j] = start[j];
    }
    return solver;
}

bool solveSmallSystem(std::vector<std::vector<double>>& J, std::vector<double>& b,
                      std::vector<double>& d) {
    const int n = static_cast<int>(b.size());
    std::vector<double*> rows(b.size());
    for (size_t i = 0; i < b.size(); ++i) rows[i] = J[i].data();
    d.assign(b.size(), 0.0);
    int failed = 0;
    solve_the_linear_system(rows.data(), b.data(), d.data(), n, failed);
    return failed == 0;
}

namespace {

enum class BinaryProblem { Bubble, Dew, DewAtP, Flash };

// The residual of the four binary problems; unknowns (Vl, Vv, c[, T or y]).
void binaryResidual(FluidPhase& f, BinaryProblem kind, const double* xv, double* F, double** J,
                    int& err, int order, double Pgiven) {
    f.Vl = xv[0];
    f.Vv = xv[1];
    const bool flash = kind == BinaryProblem::Flash;
    const double xl = kind == BinaryProblem::Bubble ? f.xLiquid[1] : xv[2];
    const double yv = kind == BinaryProblem::Bubble ? xv[2] : flash ? xv[3] : f.yVapour[1];
    const double closest = flash ? 1e-2 : 1e-4;
    if (f.Vl < 0.0 || f.Vv < 0.0 || std::fabs(f.Vl - f.Vv) / f.Vl < closest || f.Vl > f.Vv ||
        !acceptableFraction(xl) || !acceptableFraction(yv) ||
        (kind == BinaryProblem::DewAtP && !(xv[3] > 0.0))) {
        err = 1;
        return;
    }
    if (kind == BinaryProblem::DewAtP) f.temperature(xv[3]);
    MixtureSide l, v;
    const double liquid[2] = {1.0 - xl, xl}, vapour[2] = {1.0 - yv, yv};
    if (!evaluateCoexistingSides(f, liquid, f.Vl, vapour, f.Vv, l, v, F)) {
        err = 1;
        return;
    }
    if (flash) {
        F[2] = l.P - f.Pstar;
        F[3] = v.P - f.Pstar;
    } else {
        F[2] = l.P - v.P;
    }
    if (kind == BinaryProblem::DewAtP) F[3] = l.P - Pgiven;
    if (f.deltaP < 0.0) {
        F[2] += f.deltaP;
        f.P = v.P;
    } else if (f.deltaP > 0.0) {
        if (flash)
            F[3] -= f.deltaP;
        else
            F[2] += f.deltaP;
        f.P = l.P;
    }
    if (order >= 1) {
        const int n = kind == BinaryProblem::Bubble || kind == BinaryProblem::Dew ? 3 : 4;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) J[r][c] = 0.0;
        for (int r = 0; r < 2; ++r) {
            J[r][0] = l.dfdV[r];
            J[r][1] = -v.dfdV[r];
        }
        if (!flash) {
            J[2][0] = l.dPdV;
            J[2][1] = -v.dPdV;
        }
        switch (kind) {
            case BinaryProblem::Bubble:
                for (int r = 0; r < 2; ++r) J[r][2] = -v.D[r][1];
                J[2][2] = -v.DP[1];
                break;
            case BinaryProblem::DewAtP:
                for (int r = 0; r < 2; ++r) J[r][3] = l.E[r] - v.E[r];
                J[2][3] = l.EP - v.EP;
                J[3][0] = l.dPdV;
                J[3][2] = l.DP[1];
                J[3][3] = l.EP;
                [[fallthrough]];
            case BinaryProblem::Dew:
                for (int r = 0; r < 2; ++r) J[r][2] = l.D[r][1];
                J[2][2] = l.DP[1];
                break;
            case BinaryProblem::Flash:
                for (int r = 0; r < 2; ++r) {
                    J[r][2] = l.D[r][1];
                    J[r][3] = -v.D[r][1];
                }
                J[2][0] = l.dPdV;
                J[2][2] = l.DP[1];
                J[3][1] = v.dPdV;
                J[3][3] = v.DP[1];
                break;
        }
    }
    if (kind != BinaryProblem::Bubble) {
        f.xLiquid[0] = 1.0 - xl;
        f.xLiquid[1] = xl;
    }
    if (kind == BinaryProblem::Bubble || flash) {
        f.yVapour[0] = 1.0 - yv;
        f.yVapour[1] = yv;
    }
}

// Shared set-up and run of the four binary solves: start (Vl, Vv, c[, T or y]), the
// mole-fraction unknowns bounded to [0, 1].
void solveBinary(FluidPhase& f, EquationSystem system, int n, double TK, double Vliquid,
                 double Vvapour, double x1, double y1, double fourth, bool flash,
                 void* context = nullptr) {
    f.temperature(TK);
    if (f.nc == 2 && TK > 0.0 && acceptableFraction(x1) && acceptableFraction(y1))
        repairStartVolumes(f, x1, y1, Vliquid, Vvapour);
    storeBinaryPair(f, Vliquid, Vvapour, x1, y1);
    f.Vl = Vliquid;
    f.Vv = Vvapour;
    f.error = 0;
    if (f.nc != 2 || !(TK > 0.0)) {
        f.error = 1;
        return;
    }
    const double third =
        system == static_cast<EquationSystem>(&FluidPhase::equationForBubblePoint) ? y1 : x1;
    const double start[4] = {Vliquid, Vvapour, third, fourth};
    Newton& solver = bindMixtureSystem(f, system, n, start);
    const int bounded = flash ? 2 : 1;
    for (int j = 2; j < 2 + bounded; ++j) {
        solver.bounded[j] = 1;
        solver.lower[j] = 0.0;
        solver.upper[j] = 1.0;
    }
    if (flash) solver.dampmin = 1e-8;
    solver.context = context;
    f.error = solver.solve() != 0 ? 1 : 0;
    solver.context = nullptr;
    f.Vl0 = f.Vl;
    f.Vv0 = f.Vv;
}

}  // namespace

void FluidPhase::equationForBubblePoint(double* xv, double* F, double** J, int& err, int order,
                                        void*) {
    binaryResidual(*this, BinaryProblem::Bubble, xv, F, J, err, order, 0.0);
}

void FluidPhase::equationForDewPoint(double* xv, double* F, double** J, int& err, int order,
                                     void*) {
    binaryResidual(*this, BinaryProblem::Dew, xv, F, J, err, order, 0.0);
}

void FluidPhase::equationForDewPointFromGivenP(double* xv, double* F, double** J, int& err,
                                               int order, void* context) {
    const double Pgiven = context ? *static_cast<const double*>(context) : Pstar;
    binaryResidual(*this, BinaryProblem::DewAtP, xv, F, J, err, order, Pgiven);
}

void FluidPhase::equationForFlash(double* xv, double* F, double** J, int& err, int order, void*) {
    binaryResidual(*this, BinaryProblem::Flash, xv, F, J, err, order, 0.0);
}

void FluidPhase::calculate_bubble_point(double TK, double Vliquid, double Vvapour, double x1,
                                        double y1) {
    solveBinary(*this, static_cast<EquationSystem>(&FluidPhase::equationForBubblePoint), 3, TK,
                Vliquid, Vvapour, x1, y1, 0.0, false);
}

void FluidPhase::calculate_dew_point(double TK, double Vliquid, double Vvapour, double x1,
                                     double y1) {
    solveBinary(*this, static_cast<EquationSystem>(&FluidPhase::equationForDewPoint), 3, TK,
                Vliquid, Vvapour, x1, y1, 0.0, false);
}

void FluidPhase::calculate_dew_point_for_given_P(double PPa, double TK, double Vliquid,
                                                 double Vvapour, double x1, double y1) {
    double Pgiven = PPa;  // handed to the residual through the context, for this solve only
    solveBinary(*this, static_cast<EquationSystem>(&FluidPhase::equationForDewPointFromGivenP), 4,
                TK, Vliquid, Vvapour, x1, y1, TK, false, &Pgiven);
}

void FluidPhase::calculate_flash_point(double TK, double PPa, double Vliquid, double Vvapour,
                                       double x1, double y1) {
    Pstar = PPa;
    solveBinary(*this, static_cast<EquationSystem>(&FluidPhase::equationForFlash), 4, TK, Vliquid,
                Vvapour, x1, y1, y1, true);
}

}  // namespace vornex

// The critical points of higher order of a binary model with adjustable parameters (tricritical
// points, mathematical double points, critical pressure step points) as one system of four
// conditions in (T, V, x1, parameter), solved by a damped Newton iteration with a Jacobian of
// central differences. Nested one-dimensional searches on these conditions carry the
// tolerance of each inner solve into the slopes of the outer ones; near a double point they
// walk to T -> 0, where every condition vanishes trivially, and near a step point they stall.
#include "fluid/JointCriticalPoints.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fluid/ParameterSearch.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

GDerivatives gDerivatives(const FluidPhase& f) {
    GDerivatives d{};
    const double r = f.Avx / f.Avv;
    d.r = r;
    d.G2 = f.Axx - f.Avx * r;
    d.G3 = f.Axxx - 3 * r * f.Avxx + 3 * r * r * f.Avvx - r * r * r * f.Avvv;
    const double c3 = f.Avxx - 2 * r * f.Avvx + r * r * f.Avvv;
    const double c4 = f.Axxxx - 4 * r * f.Avxxx + 6 * r * r * f.Avvxx - 4 * r * r * r * f.Avvvx +
                      r * r * r * r * f.Avvvv;
    d.G4 = c4 - 3 * c3 * c3 / f.Avv;
    const double rT = (f.ATvx - r * f.ATvv) / f.Avv;
    const double rx = (f.Avxx - r * f.Avvx) / f.Avv;
    const double rV = (f.Avvx - r * f.Avvv) / f.Avv;
    // First derivative of G2 along s from the s-derivatives of A_xx, A_vx, A_vv.
    auto g2 = [&](double xx, double vx, double vv) { return xx - 2 * r * vx + r * r * vv; };
    d.G2T = g2(f.ATxx, f.ATvx, f.ATvv);
    d.G2x = g2(f.Axxx, f.Avxx, f.Avvx);
    d.G2V = g2(f.Avxx, f.Avvx, f.Avvv);
    // First derivative of G3 along s (rs the s-derivative of r).
    auto g3 = [&](double xxx, double vxx, double vvx, double vvv, double rs) {
        return xxx - 3 * (r * vxx + f.Avxx * rs) + 3 * (r * r * vvx + 2 * r * rs * f.Avvx) -
               (r * r * r * vvv + 3 * r * r * rs * f.Avvv);
    };
    d.G3x = g3(f.Axxxx, f.Avxxx, f.Avvxx, f.Avvvx, rx);
    d.G3T = g3(f.ATxxx, f.ATvxx, f.ATvvx, f.ATvvv, rT);
    d.G3V = g3(f.Avxxx, f.Avvxx, f.Avvvx, f.Avvvv, rV);
    const double w = -f.ATv / f.Avv;  // dV/dT at constant pressure
    d.G2TP = d.G2T + w * d.G2V;
    d.G3TP = d.G3T + w * d.G3V;
    // Second derivatives of G2 in (T, V), then along constant pressure.
    auto g2second = [&](double xx, double vx, double vv, double vxs, double vvs, double ru) {
        return xx - 2 * (ru * vxs + r * vx) + 2 * r * ru * vvs + r * r * vv;
    };
    const double G2TT = g2second(f.ATTxx, f.ATTvx, f.ATTvv, f.ATvx, f.ATvv, rT);
    const double G2TV = g2second(f.ATvxx, f.ATvvx, f.ATvvv, f.ATvx, f.ATvv, rV);
    const double G2VV = g2second(f.Avvxx, f.Avvvx, f.Avvvv, f.Avvx, f.Avvv, rV);
    const double dwdT = (-(f.ATTv + w * f.ATvv) - w * (f.ATvv + w * f.Avvv)) / f.Avv;
    d.G2TTP = G2TT + 2 * w * G2TV + w * w * G2VV + dwdT * d.G2V;
    return d;
}

namespace {

// The four conditions at unknowns scaled by the start (T/T0, V/V0, x1, par/par0), so that the
// iteration's step caps and row scales see numbers of order one.
class JointPointSystem {
   public:
    // index2 >= 0: the third unknown is that parameter (start[2] its value), x1 stays.
    JointPointSystem(FluidPhase& f, JointPoint kind, int index, const double* start,
                     int index2 = -1)
        : f_(f), kind_(kind), index_(index), index2_(index2), x1_(f.x[1]) {
        for (int j = 0; j < 4; ++j) unit_[j] = j == 2 && index2 < 0 ? 1.0 : start[j];
    }
    double value(const double* u, int j) const { return u[j] * unit_[j]; }

    // F at u; err set where the state cannot be evaluated.
    void residuals(const double* u, double* F, int& err) {
        const double TK = value(u, 0), Vm3 = value(u, 1), par = value(u, 3);
        const double x1 = index2_ < 0 ? value(u, 2) : x1_;
        if (!(TK > 0.0) || !(Vm3 > 0.0) || !(x1 > 0.0 && x1 < 1.0) || !std::isfinite(par) ||
            !std::isfinite(value(u, 2))) {
            err = 1;
            return;
        }
        f_.error = 0;
        if (index2_ >= 0) f_.set_model_parameter(index2_, value(u, 2));
        f_.set_model_parameter(index_, par);
        f_.temperature(TK);
        f_.volume(Vm3);
        setBinaryComposition(f_, x1);
        if (f_.error != 0) {
            err = 1;
            return;
        }
        if (kind_ == JointPoint::Tricritical) {
            double g2, g3, g4, g5, m2, m3, m4, m5;
            f_.calculate_tricritical_parameters(g2, g3, g4, g5, m2, m3, m4, m5);
            F[0] = g2 + m2;
            F[1] = g3 + m3;
            F[2] = g4 + m4;
            F[3] = g5 + m5;
        } else {
            f_.calculate_critical_parameters();
            const GDerivatives d = gDerivatives(f_);
            F[0] = d.G2;
            F[1] = d.G3;
            if (kind_ == JointPoint::DoublePoint) {
                F[2] = d.G2T * d.G3x - d.G2x * d.G3T;
                F[3] = d.G2V * d.G3T - d.G2T * d.G3V;
            } else {
                F[2] = d.G2TP;
                F[3] = d.G4 * d.G2TTP - d.G3TP * d.G3TP;
            }
        }
        for (int i = 0; i < 4; ++i)
            if (!std::isfinite(F[i]) || f_.error != 0) err = 1;
    }

   private:
    FluidPhase& f_;
    JointPoint kind_;
    int index_;
    int index2_;
    double x1_;
    double unit_[4];
};

constexpr int kUnknowns = 4;
using Vector = std::array<double, kUnknowns>;

// Residuals at u divided by the row scales; false where the system cannot be evaluated.
bool scaledResiduals(JointPointSystem& system, const Vector& u, const Vector& rowScale, Vector& F) {
    int err = 0;
    system.residuals(u.data(), F.data(), err);
    if (err != 0) return false;
    for (int i = 0; i < kUnknowns; ++i) F[i] /= rowScale[i];
    return true;
}

double squares(const Vector& F) {
    double sum = 0.0;
    for (double f : F) sum += f * f;
    return sum;
}

// Central-difference Jacobian of the scaled residuals.
bool jacobian(JointPointSystem& system, const Vector& u, const Vector& rowScale, const Vector& h,
              double J[kUnknowns][kUnknowns]) {
    for (int j = 0; j < kUnknowns; ++j) {
        Vector up = u, um = u, Fp, Fm;
        up[j] += h[j];
        um[j] -= h[j];
        if (!scaledResiduals(system, up, rowScale, Fp) ||
            !scaledResiduals(system, um, rowScale, Fm))
            return false;
        for (int i = 0; i < kUnknowns; ++i) J[i][j] = (Fp[i] - Fm[i]) / (2 * h[j]);
    }
    return true;
}

// The damped Newton iteration on the system from the unknowns' start (1, 1, u2, 1); the
// fluid ends at the solution or, after a failure, at the start.
bool runJointPoint(FluidPhase& f, JointPointSystem& system, double u2, double h2, double cap2,
                   Vector& solution) {
    const Vector u0 = {1.0, 1.0, u2, 1.0};
    const Vector h = {1e-6, 1e-6, h2, 1e-6};
    // The rows are measured against their size at the start (|F| and the Jacobian's row sum),
    // fixed for the whole solve so that the merit below is one smooth function.
    Vector rowScale = {1.0, 1.0, 1.0, 1.0}, F;
    double J[kUnknowns][kUnknowns];
    bool ok = scaledResiduals(system, u0, rowScale, F) && jacobian(system, u0, rowScale, h, J);
    for (int i = 0; ok && i < kUnknowns; ++i) {
        rowScale[i] = std::fabs(F[i]);
        for (int j = 0; j < kUnknowns; ++j) rowScale[i] += std::fabs(J[i][j]);
        ok = rowScale[i] > 0.0 && std::isfinite(rowScale[i]);
    }
    Vector u = u0;
    ok = ok && scaledResiduals(system, u, rowScale, F);
    double merit = squares(F);
    // Steps of at most 5 % in T and V, 2 % in the parameter and cap2 in the third unknown
    // keep the solve on the branch of critical points it starts on.
    const Vector cap = {0.05, 0.05, cap2, 0.02};
    bool converged = false;
    for (int iteration = 0; ok && !converged && iteration < 100; ++iteration) {
        if (!jacobian(system, u, rowScale, h, J)) {
            ok = false;
            break;
        }
        double rows[kUnknowns][kUnknowns], rhs[kUnknowns], dx[kUnknowns];
        double* A[kUnknowns];
        for (int i = 0; i < kUnknowns; ++i) {
            std::copy(J[i], J[i] + kUnknowns, rows[i]);
            A[i] = rows[i];
            rhs[i] = -F[i];
        }
        int singular = 0;
        solve_the_linear_system(A, rhs, dx, kUnknowns, singular);
        if (singular != 0) {
            ok = false;
            break;
        }
        double shrink = 1.0;
        for (int j = 0; j < kUnknowns; ++j) shrink = std::fmax(shrink, std::fabs(dx[j]) / cap[j]);
        // Halve the step until the merit falls.
        double lambda = 1.0 / shrink;
        bool accepted = false;
        Vector trial, Ft;
        while (lambda > 1e-6 && !accepted) {
            for (int j = 0; j < kUnknowns; ++j) trial[j] = u[j] + lambda * dx[j];
            accepted = scaledResiduals(system, trial, rowScale, Ft) && squares(Ft) < merit;
            if (!accepted) lambda *= 0.5;
        }
        if (!accepted) {
            // No descent left: converged if the residuals are already at the noise of the
            // conditions, else a failure.
            converged = merit < 1e-20;
            ok = converged;
            break;
        }
        double step = 0.0;
        for (int j = 0; j < kUnknowns; ++j) step = std::fmax(step, std::fabs(trial[j] - u[j]));
        u = trial;
        F = Ft;
        merit = squares(F);
        converged = merit < 1e-24 || (step < 1e-12 && merit < 1e-20);
    }
    ok = ok && converged;
    if (!ok) u = u0;
    // The last evaluation was a neighbour or a trial: the point itself again.
    int err = 0;
    Vector Fend;
    system.residuals(u.data(), Fend.data(), err);
    solution = u;
    f.calculate_critical_parameters();
    f.P = -f.Av;
    f.stabi = gDerivatives(f).G4;
    f.error = ok && err == 0 ? 0 : 1;
    return f.error == 0;
}

}  // namespace

bool solveJointPoint(FluidPhase& f, JointPoint kind, int index, double& par) {
    if (f.nc != 2 || !std::isfinite(par) || par == 0.0) return false;
    const double x1 = f.x[1];
    const double start[kUnknowns] = {f.T, f.V, x1, par};
    JointPointSystem system(f, kind, index, start);
    Vector solution;
    const bool ok = runJointPoint(f, system, x1, 1e-6 * std::fmin(x1, 1.0 - x1), 0.02, solution);
    par = system.value(solution.data(), 3);
    return ok;
}

bool solveJointPointAtComposition(FluidPhase& f, JointPoint kind, int index, double& par,
                                  int index2, double& par2) {
    if (f.nc != 2 || !std::isfinite(par) || par == 0.0 || !std::isfinite(par2) || par2 == 0.0)
        return false;
    const double start[kUnknowns] = {f.T, f.V, par2, par};
    JointPointSystem system(f, kind, index, start, index2);
    Vector solution;
    const bool ok = runJointPoint(f, system, 1.0, 1e-6, 0.02, solution);
    par = system.value(solution.data(), 3);
    par2 = system.value(solution.data(), 2);
    return ok;
}

}  // namespace vornex

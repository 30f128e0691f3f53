// Bubble points and flashes of an n-component mixture, and the tie lines of a ternary one
// at fixed T and P. Compositions are carried by the mole fractions of components 1 .. n-1;
// component 0 takes the rest. The flash fixes its tie line through the feed z by the lever
// rule: feed, liquid and vapour lie on one straight line of composition space.
#include <cmath>
#include <cstdio>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/MixtureSide.h"

namespace vornex {

namespace {

constexpr int kMaxTernarySteps = 100000;

// The full composition from the unknowns u[0 .. n-2] (fractions 1 .. n-1); false when one
// of them is outside the accepted range.
bool compositionFromUnknowns(const double* u, int n, std::vector<double>& c) {
    c.assign(static_cast<size_t>(n), 0.0);
    double rest = 1.0;
    for (int i = 1; i < n; ++i) {
        if (!acceptableFraction(u[i - 1])) return false;
        c[static_cast<size_t>(i)] = u[i - 1];
        rest -= u[i - 1];
    }
    c[0] = rest;
    return true;
}

bool volumesAcceptable(double Vliquid, double Vvapour, double closest) {
    return Vliquid >= 0.0 && Vvapour >= 0.0 && std::fabs(Vliquid - Vvapour) / Vliquid >= closest &&
           Vliquid <= Vvapour;
}

// Vapour fraction of the feed along its tie line, from the projection of z - x on y - x.
double vapourFraction(const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& z) {
    double num = 0.0, den = 0.0;
    for (size_t i = 0; i < z.size(); ++i) {
        num += (z[i] - x[i]) * (y[i] - x[i]);
        den += (y[i] - x[i]) * (y[i] - x[i]);
    }
    return den > 0.0 ? num / den : -1.0;
}

void clearJacobian(double** J, int n) {
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) J[r][c] = 0.0;
}

}  // namespace

void FluidPhase::equationForFlashX(double* xv, double* F, double** J, int& err, int order, void*) {
    const int n = nc;
    Vl = xv[0];
    Vv = xv[1];
    std::vector<double> xl, yv;
    if (!volumesAcceptable(Vl, Vv, 0.01) || !compositionFromUnknowns(xv + 2, n, xl) ||
        !compositionFromUnknowns(xv + 1 + n, n, yv)) {
        err = 1;
        return;
    }
    MixtureSide l, v;
    if (!evaluateCoexistingSides(*this, xl.data(), Vl, yv.data(), Vv, l, v, F)) {
        err = 1;
        return;
    }
    F[n] = l.P - Pstar;
    F[n + 1] = v.P - Pstar;
    const std::vector<double>& z = zFeed;
    for (int k = 1; k <= n - 2; ++k)
        F[n + 1 + k] = (z[0] - yv[0]) * xl[k] - (z[0] - xl[0]) * yv[k] - (xl[0] - yv[0]) * z[k];
    if (deltaP < 0.0) {
        F[n] += deltaP;
        P = v.P;
    } else if (deltaP > 0.0) {
        F[n + 1] -= deltaP;
        P = l.P;
    }
    if (order >= 1) {
        const int size = 2 * n;
        clearJacobian(J, size);
        for (int i = 0; i < n; ++i) {
            J[i][0] = l.dfdV[i];
            J[i][1] = -v.dfdV[i];
            for (int j = 1; j < n; ++j) {
                J[i][1 + j] = l.D[i][j];
                J[i][n + j] = -v.D[i][j];
            }
        }
        J[n][0] = l.dPdV;
        J[n + 1][1] = v.dPdV;
        for (int j = 1; j < n; ++j) {
            J[n][1 + j] = l.DP[j];
            J[n + 1][n + j] = v.DP[j];
        }
        for (int k = 1; k <= n - 2; ++k) {
            double* row = J[n + 1 + k];
            for (int j = 1; j < n; ++j) {
                row[1 + j] = j == k ? z[0] - yv[0] - yv[k] + z[k] : z[k] - yv[k];
                row[n + j] = j == k ? xl[k] - z[0] + xl[0] - z[k] : xl[k] - z[k];
            }
        }
    }
    xLiquid = xl;
    yVapour = yv;
}

void FluidPhase::equationForBubblePointX(double* xv, double* F, double** J, int& err, int order,
                                         void*) {
    const int n = nc;
    Vl = xv[0];
    Vv = xv[1];
    std::vector<double> yv;
    if (!compositionFromUnknowns(xv + 2, n, yv) || !volumesAcceptable(Vl, Vv, 1e-4)) {
        err = 1;
        return;
    }
    const std::vector<double> xl = xLiquid;
    MixtureSide l, v;
    if (!evaluateCoexistingSides(*this, xl.data(), Vl, yv.data(), Vv, l, v, F)) {
        err = 1;
        return;
    }
    F[n] = l.P - v.P;
    if (deltaP != 0.0) {
        F[n] += deltaP;
        P = deltaP < 0.0 ? v.P : l.P;
    }
    if (order >= 1) {
        clearJacobian(J, n + 1);
        for (int i = 0; i < n; ++i) {
            J[i][0] = l.dfdV[i];
            J[i][1] = -v.dfdV[i];
            for (int j = 1; j < n; ++j) J[i][1 + j] = -v.D[i][j];
        }
        J[n][0] = l.dPdV;
        J[n][1] = -v.dPdV;
        for (int j = 1; j < n; ++j) J[n][1 + j] = -v.DP[j];
    }
    yVapour = yv;
}

void FluidPhase::calculate_flash_pointX(double TK, double PPa, double Vliquid, double Vvapour,
                                        double* xl, double* yv, double* z) {
    const int n = nc;
    error = 0;
    if (n < 2 || xl == nullptr || yv == nullptr || z == nullptr || !(TK > 0.0)) {
        error = 1;
        return;
    }
    Pstar = PPa;
    temperature(TK);
    Vl0 = Vl = Vliquid;
    Vv0 = Vv = Vvapour;
    xLiquid.assign(xl, xl + n);
    yVapour.assign(yv, yv + n);
    zFeed.assign(z, z + n);
    std::vector<double> start(static_cast<size_t>(2 * n));
    start[0] = Vl0;
    start[1] = Vv0;
    for (int j = 1; j < n; ++j) {
        start[static_cast<size_t>(1 + j)] = xl[j];
        start[static_cast<size_t>(n + j)] = yv[j];
    }
    Newton& solver = bindMixtureSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForFlashX), 2 * n, start.data());
    solver.verbose = 0;
    solver.dampmin = 1e-8;
    for (int j = 2; j <= 3; ++j) {
        solver.bounded[j] = 1;
        solver.lower[j] = 0.0;
        solver.upper[j] = 1.0;
    }
    error = solver.solve() != 0 ? 1 : 0;
    Vl0 = Vl;
    Vv0 = Vv;
}

void FluidPhase::calculate_bubble_pointX(double TK, double Vliquid, double Vvapour, double* xl,
                                         double* yv) {
    const int n = nc;
    error = 0;
    if (n < 2 || xl == nullptr || yv == nullptr || !(TK > 0.0)) {
        error = 1;
        return;
    }
    temperature(TK);
    xLiquid.assign(xl, xl + n);
    yVapour.assign(yv, yv + n);
    Vl0 = Vl = Vliquid;
    Vv0 = Vv = Vvapour;
    std::vector<double> start(static_cast<size_t>(n + 1));
    start[0] = Vl0;
    start[1] = Vv0;
    for (int j = 1; j < n; ++j) start[static_cast<size_t>(1 + j)] = yv[j];
    Newton& solver =
        bindMixtureSystem(*this, static_cast<EquationSystem>(&FluidPhase::equationForBubblePointX),
                          n + 1, start.data());
    for (int j = 2; j <= n; ++j) {
        solver.bounded[j] = 1;
        solver.lower[j] = 0.0;
        solver.upper[j] = 1.0;
    }
    solver.verbose = 0;
    error = solver.solve() != 0 ? 1 : 0;
    Vl0 = Vl;
    Vv0 = Vv;
}

void FluidPhase::calculateTernary(double TK, double PPa, double z1, double z2, double dz,
                                  const char* suffix, double Vliquid, double Vvapour, double* xl,
                                  double* yv) {
    if (nc != 3 || xl == nullptr || yv == nullptr) return;
    if (!(z1 + z2 > 0.0)) {
        vornex::cprintf("Cannot find first point\n");
        return;
    }
    std::vector<double> x(xl, xl + 3), y(yv, yv + 3), z = {1.0 - z1 - z2, z1, z2};
    calculate_flash_pointX(TK, PPa, Vliquid, Vvapour, x.data(), y.data(), z.data());
    if (error) {
        vornex::cprintf("Cannot find first point\n");
        return;
    }
    const double r = z1 / (z1 + z2);
    struct Base {
        double Vl, Vv;
        std::vector<double> x, y, z;
    } base{Vl0, Vv0, xLiquid, yVapour, zFeed};

    CurveOutput out(kIgorText);
    if (!out.open("ter", suffix)) return;
    if (suffix == nullptr) suffix = "";
    out.print("IGOR\nWAVES %6s%s", "T", suffix);
    for (const char* name : {"P", "vl", "vv", "x0", "x1", "x2", "y0", "y1", "y2", "z0", "z1", "z2"})
        out.print(" %11s%s", name, suffix);
    out.print("\nBEGIN\n");
    auto writeRow = [&]() {
        out.print(
            "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg "
            "%12lg \n",
            TK, PPa * 1e-5, base.Vl, base.Vv, base.x[0], base.x[1], base.x[2], base.y[0], base.y[1],
            base.y[2], base.z[0], base.z[1], base.z[2]);
    };
    writeRow();

    double s = dz, h = 1.0;
    for (int step = 0; step < kMaxTernarySteps && error == 0; ++step) {
        z = {base.z[0] - s, base.z[1] + r * s, base.z[2] + (1.0 - r) * s};
        // A feed outside the composition triangle has no tie line to follow.
        const bool inside = z[0] >= 0.0 && z[1] >= 0.0 && z[2] >= 0.0;
        x = base.x;
        y = base.y;
        if (inside)
            calculate_flash_pointX(TK, PPa, base.Vl, base.Vv, x.data(), y.data(), z.data());
        else
            error = 1;
        // Collinearity alone also holds beyond the ends of a tie line, where the feed is no
        // longer split between the two phases: that is where the two-phase region ends.
        if (error == 0) {
            const double beta = vapourFraction(xLiquid, yVapour, zFeed);
            if (beta < 0.0 || beta > 1.0) error = 1;
        }
        if (error) {
            h /= 2.0;
            if (h < 1e-4) break;
            error = 0;
            s = dz * h;
            continue;
        }
        base = {Vl0, Vv0, xLiquid, yVapour, zFeed};
        writeRow();
    }
    out.print("END\n");
    out.close();
}

}  // namespace vornex

// Derivatives of the molar Gibbs energy g(T, P, x1) of a binary from values of the model's
// Helmholtz energy alone, as an account of higher-order critical conditions that owes
// nothing to the derivative block: g = min over V of A(T, V, x) + P V near a given volume,
// the partial derivatives of g by central-difference stencils (weights by Fornberg's
// recursion) in T, P and x. G_k = d^k g / dx^k at constant T and P.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex::testing {

// Weights of the n-th derivative at 0 on the nodes k h, k = -m .. m.
inline std::vector<double> stencilWeights(int n, int m, double h) {
    const int N = 2 * m + 1;
    std::vector<double> z(N);
    for (int k = 0; k < N; ++k) z[k] = (k - m) * h;
    // Fornberg: c[j][k] weight of node j for derivative k.
    std::vector<std::vector<double>> c(N, std::vector<double>(n + 1, 0.0));
    double c1 = 1.0, c4 = z[0];
    c[0][0] = 1.0;
    for (int i = 1; i < N; ++i) {
        const int mn = std::min(i, n);
        double c2 = 1.0;
        const double c5 = c4;
        c4 = z[i];
        for (int j = 0; j < i; ++j) {
            const double c3 = z[i] - z[j];
            c2 *= c3;
            if (j == i - 1) {
                for (int k = mn; k >= 1; --k)
                    c[i][k] = c1 * (k * c[i - 1][k - 1] - c5 * c[i - 1][k]) / c2;
                c[i][0] = -c1 * c5 * c[i - 1][0] / c2;
            }
            for (int k = mn; k >= 1; --k) c[j][k] = (c4 * c[j][k] - k * c[j][k - 1]) / c3;
            c[j][0] = c4 * c[j][0] / c3;
        }
        c1 = c2;
    }
    std::vector<double> w(N);
    for (int k = 0; k < N; ++k) w[k] = c[k][n];
    return w;
}

class GibbsEnergy {
   public:
    GibbsEnergy(FluidPhase& f, double Vnear) : f_(f), Vnear_(Vnear) {}

    // The model's molar Helmholtz energy (residual terms and ideal mixing), J/mol.
    double A(double TK, double Vm3, double x1) {
        f_.temperature(TK);
        f_.volume(Vm3);
        f_.composition_of_component(0, 1.0 - x1);
        f_.composition_of_component(1, x1);
        f_.calculate_second_order_critical_parameters();
        return f_.A;
    }

    // g(T, P, x1) = A + P V at the volume where -dA/dV = P, by Newton on differences of A.
    double g(double TK, double PPa, double x1) {
        double V = Vnear_;
        for (int it = 0; it < 50; ++it) {
            const double h = 1e-4 * V;
            const double am = A(TK, V - h, x1), a0 = A(TK, V, x1), ap = A(TK, V + h, x1);
            const double d1 = (ap - am) / (2 * h) + PPa, d2 = (ap - 2 * a0 + am) / (h * h);
            double step = -d1 / d2;
            if (!(d2 > 0.0)) step = 0.01 * V * (d1 > 0 ? -1 : 1);  // not convex: walk downhill
            step = std::fmax(-0.05 * V, std::fmin(0.05 * V, step));
            V += step;
            if (std::fabs(step) < 1e-13 * V) break;
        }
        volume = V;
        return A(TK, V, x1) + PPa * V;
    }

    // d^(nT + nP + nx) g / dT^nT dP^nP dx^nx at (T, P, x1), steps hT, hP, hx.
    double derivative(int nT, int nP, int nx, double TK, double PPa, double x1, double hT = 0.05,
                      double hP = 2000.0, double hx = 0.004) {
        const int mT = nT == 0 ? 0 : (nT + 3) / 2 + 1, mP = nP == 0 ? 0 : (nP + 3) / 2 + 1;
        const int mx = nx == 0 ? 0 : (nx + 3) / 2 + 2;
        const std::vector<double> wT = stencilWeights(nT, mT, hT), wP = stencilWeights(nP, mP, hP),
                                  wx = stencilWeights(nx, mx, hx);
        double sum = 0.0;
        for (int i = -mT; i <= mT; ++i)
            for (int j = -mP; j <= mP; ++j)
                for (int k = -mx; k <= mx; ++k) {
                    const double w = wT[i + mT] * wP[j + mP] * wx[k + mx];
                    if (w != 0.0) sum += w * g(TK + i * hT, PPa + j * hP, x1 + k * hx);
                }
        return sum;
    }
    // G_k at (T, P, x1).
    double G(int k, double TK, double PPa, double x1) { return derivative(0, 0, k, TK, PPa, x1); }

    double volume = 0.0;  // of the last g evaluated

   private:
    FluidPhase& f_;
    double Vnear_;
};

// The size of G_k at a state: the ideal mixing share RT (k-2)! (1/x0^(k-1) + 1/x1^(k-1)).
inline double conditionScale(int k, double TK, double x1) {
    double fact = 1.0;
    for (int i = 2; i <= k - 2; ++i) fact *= i;
    return kGasConstant * TK * fact * (std::pow(1.0 - x1, 1 - k) + std::pow(x1, 1 - k));
}

}  // namespace vornex::testing

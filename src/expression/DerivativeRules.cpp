#include "expression/DerivativeRules.h"

namespace vornex {

void applyChainRule(const IndexPlan& plan, int order, const double* f, const double* u,
                    double* out) {
    const double f1 = f[1], f2 = f[2], f3 = f[3], f4 = f[4];
    if (order >= 1) {
        const int* t = plan.table(1);
        for (int r = plan.rows(1); r > 0; --r, ++t) out[t[0]] = f1 * u[t[0]];
    }
    if (order >= 2) {
        const int* t = plan.table(2);
        for (int r = plan.rows(2); r > 0; --r, t += 3) {
            out[t[0]] = f2 * u[t[1]] * u[t[2]] + f1 * u[t[0]];
        }
    }
    if (order >= 3) {
        const int* t = plan.table(3);
        for (int r = plan.rows(3); r > 0; --r, t += 7) {
            const double ui = u[t[1]], uj = u[t[2]], uk = u[t[3]];
            out[t[0]] = f3 * ui * uj * uk + f2 * (u[t[4]] * uk + u[t[5]] * uj + u[t[6]] * ui) +
                        f1 * u[t[0]];
        }
    }
    if (order >= 4) {
        const int* t = plan.table(4);
        for (int r = plan.rows(4); r > 0; --r, t += 15) {
            const double ui = u[t[1]], uj = u[t[2]], uk = u[t[3]], ul = u[t[4]];
            const double uij = u[t[5]], uik = u[t[6]], uil = u[t[7]], ujk = u[t[8]], ujl = u[t[9]],
                         ukl = u[t[10]];
            out[t[0]] = f4 * ui * uj * uk * ul +
                        f3 * (uij * uk * ul + uik * uj * ul + uil * uj * uk + ujk * ui * ul +
                              ujl * ui * uk + ukl * ui * uj) +
                        f2 * (uij * ukl + uik * ujl + uil * ujk + u[t[11]] * ul + u[t[12]] * uk +
                              u[t[13]] * uj + u[t[14]] * ui) +
                        f1 * u[t[0]];
        }
    }
}

// Each derivative of u*v over an index set is the sum over the splits of the set into a
// part for u and the rest for v. In the rows, the complement of single m is the pair
// (order 3) or triple (order 4) of the mirrored slot, and pair m mirrors pair 5 - m.
void applyLeibnizRule(const IndexPlan& plan, int order, double a, const double* u, const double* v,
                      double* out) {
    const double u0 = u[0], v0 = v[0];
    if (order >= 1) {
        const int* t = plan.table(1);
        for (int r = plan.rows(1); r > 0; --r, ++t) {
            out[t[0]] = a * (u[t[0]] * v0 + u0 * v[t[0]]);
        }
    }
    if (order >= 2) {
        const int* t = plan.table(2);
        for (int r = plan.rows(2); r > 0; --r, t += 3) {
            out[t[0]] = a * (u[t[0]] * v0 + u[t[1]] * v[t[2]] + u[t[2]] * v[t[1]] + u0 * v[t[0]]);
        }
    }
    if (order >= 3) {
        const int* t = plan.table(3);
        for (int r = plan.rows(3); r > 0; --r, t += 7) {
            out[t[0]] =
                a * (u[t[0]] * v0 + u[t[4]] * v[t[3]] + u[t[5]] * v[t[2]] + u[t[6]] * v[t[1]] +
                     u[t[1]] * v[t[6]] + u[t[2]] * v[t[5]] + u[t[3]] * v[t[4]] + u0 * v[t[0]]);
        }
    }
    if (order >= 4) {
        const int* t = plan.table(4);
        for (int r = plan.rows(4); r > 0; --r, t += 15) {
            double s = u[t[0]] * v0 + u0 * v[t[0]];
            for (int m = 0; m < 4; ++m)
                s += u[t[1 + m]] * v[t[14 - m]] + u[t[14 - m]] * v[t[1 + m]];
            for (int m = 0; m < 6; ++m) s += u[t[5 + m]] * v[t[10 - m]];
            out[t[0]] = a * s;
        }
    }
}

void applyChainRuleDiagonal(const TensorLayout& layout, int var, int order, const double* f,
                            const double* u, double* out) {
    int p[kMaxDerivativeOrder + 1];
    layout.diagonals(var, order, p);
    const double u1 = order >= 1 ? u[p[1]] : 0.0;
    const double u2 = order >= 2 ? u[p[2]] : 0.0;
    const double u3 = order >= 3 ? u[p[3]] : 0.0;
    if (order >= 1) out[p[1]] = f[1] * u1;
    if (order >= 2) out[p[2]] = f[2] * u1 * u1 + f[1] * u2;
    if (order >= 3) out[p[3]] = f[3] * u1 * u1 * u1 + 3.0 * f[2] * u1 * u2 + f[1] * u3;
    if (order >= 4) {
        out[p[4]] = f[4] * u1 * u1 * u1 * u1 + 6.0 * f[3] * u1 * u1 * u2 +
                    f[2] * (3.0 * u2 * u2 + 4.0 * u1 * u3) + f[1] * u[p[4]];
    }
}

void applyLeibnizRuleDiagonal(const TensorLayout& layout, int var, int order, double a,
                              const double* u, const double* v, double* out) {
    int p[kMaxDerivativeOrder + 1];
    layout.diagonals(var, order, p);
    const double u0 = u[0], v0 = v[0];
    if (order >= 1) out[p[1]] = a * (u[p[1]] * v0 + u0 * v[p[1]]);
    if (order >= 2) out[p[2]] = a * (u[p[2]] * v0 + 2.0 * u[p[1]] * v[p[1]] + u0 * v[p[2]]);
    if (order >= 3) {
        out[p[3]] =
            a * (u[p[3]] * v0 + 3.0 * (u[p[2]] * v[p[1]] + u[p[1]] * v[p[2]]) + u0 * v[p[3]]);
    }
    if (order >= 4) {
        out[p[4]] = a * (u[p[4]] * v0 + 4.0 * (u[p[3]] * v[p[1]] + u[p[1]] * v[p[3]]) +
                         6.0 * u[p[2]] * v[p[2]] + u0 * v[p[4]]);
    }
}

void setScaled(const IndexPlan& plan, int order, double c, const double* x, double* out) {
    for (const IndexPlan::Run& run : plan.runs(order)) {
        for (int p = run.first; p < run.last; ++p) out[p] = c * x[p];
    }
}

void addScaled(const IndexPlan& plan, int order, double c, const double* x, double* out) {
    for (const IndexPlan::Run& run : plan.runs(order)) {
        for (int p = run.first; p < run.last; ++p) out[p] += c * x[p];
    }
}

}  // namespace vornex

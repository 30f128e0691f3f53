#include "fluid/NonAnalyticSum.h"

#include <cmath>
#include <cstdio>

namespace vornex {

namespace {

constexpr double kFactorial[5] = {1, 1, 2, 6, 24};

// Taylor coefficients in s of c |s|^p to order k: c p (p-1) ... (p-m+1) |s|^(p-m) sgn(s)^m
// / m!. At s = 0 those of an order above p (divergent) and below it (zero) are 0.
void powerOfAbs(double c, double p, double s, int k, double* out) {
    const double x = std::fabs(s);
    double xp = x == 0.0 ? 0.0 : std::pow(x, p);
    const double r = x == 0.0 ? 0.0 : 1.0 / x;
    const double sign = s < 0.0 ? -1.0 : 1.0;
    double fall = c, sg = 1.0;
    for (int m = 0; m <= k; ++m) {
        out[m] = x == 0.0 ? (p == m ? c : 0.0) : fall * xp * sg / kFactorial[m];
        fall *= p - m;
        xp *= r;
        sg *= sign;
    }
}

// Taylor coefficients of exp(-c (x - 1)^2) in x to order k.
void gaussian(double c, double x, int k, double* out) {
    const double s = x - 1.0;
    const double e = std::exp(-c * s * s);
    const double h1 = -2.0 * c * s, h2 = -2.0 * c;
    double d[5] = {e, 0, 0, 0, 0};
    if (k >= 1) d[1] = e * h1;
    if (k >= 2) d[2] = e * (h1 * h1 + h2);
    if (k >= 3) d[3] = e * (h1 * h1 * h1 + 3.0 * h1 * h2);
    if (k >= 4) d[4] = e * (h1 * h1 * h1 * h1 + 6.0 * h1 * h1 * h2 + 3.0 * h2 * h2);
    for (int m = 0; m <= k; ++m) out[m] = d[m] / kFactorial[m];
}

}  // namespace

void NonAnalyticSum::addTerm(const Term& t) {
    int group = static_cast<int>(terms_.size());
    for (size_t i = 0; i < terms_.size(); ++i) {
        const Term& o = terms_[i];
        if (o.a == t.a && o.B == t.B && o.A == t.A && o.beta == t.beta) {
            group = group_[i];
            break;
        }
    }
    terms_.push_back(t);
    group_.push_back(group);
    heldOrderU_ = -1;
}

// The coefficients (i, j) with i <= mu, j <= mv, i + j <= k in a row, and the products
// of two such polynomials as (out, a, b) index triples.
const NonAnalyticSum::Plan& NonAnalyticSum::plan(int mu, int mv, int k) {
    Plan& p = plans_[mu][mv][k];
    if (p.size > 0) return p;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) p.index[i][j] = -1;
    for (int i = 0; i <= mu; ++i)
        for (int j = 0; j <= mv && i + j <= k; ++j) {
            p.index[i][j] = p.size;
            p.i[p.size] = i;
            p.j[p.size] = j;
            ++p.size;
        }
    for (int o = 0; o < p.size; ++o)
        for (int a = 0; a < p.size; ++a)
            for (int b = 0; b < p.size; ++b)
                if (p.i[a] + p.i[b] == p.i[o] && p.j[a] + p.j[b] == p.j[o])
                    p.products.push_back({o, a, b});
    return p;
}

namespace {

using Flat = double[15];

// out = a b, truncated as the plan.
inline void multiply(const NonAnalyticSum::Plan& p, const double* a, const double* b,
                     double* out) {
    for (int o = 0; o < p.size; ++o) out[o] = 0.0;
    for (const auto& t : p.products) out[t.out] += a[t.a] * b[t.b];
}

}  // namespace

void NonAnalyticSum::partials(double tau, double delta, int orderU, int orderV,
                              double f[5][5]) {
    const int K = orderU > orderV ? orderU : orderV;
    const Plan& P = plan(orderU, orderV, K);
    const int n = P.size;
    const double s = delta - 1.0;
    if (tau != heldTau_ || orderU > heldOrderU_) {
        ofTau_.resize(5 * terms_.size());
        for (size_t k = 0; k < terms_.size(); ++k) gaussian(terms_[k].D, tau, orderU, &ofTau_[5 * k]);
        heldTau_ = tau;
        heldOrderU_ = orderU;
    }
    Flat sum = {}, bigDelta = {}, powered, outer, dh, power, next;
    int heldGroup = -1;
    for (size_t k = 0; k < terms_.size(); ++k) {
        const Term& t = terms_[k];
        if (group_[k] != heldGroup) {
            // theta = -(tau - 1) + A |s|^(1/beta); Delta = theta^2 + B |s|^(2a).
            double partA[5], partB[5];
            powerOfAbs(t.A, 1.0 / t.beta, s, orderV, partA);
            powerOfAbs(t.B, 2.0 * t.a, s, orderV, partB);
            Flat theta = {};
            theta[0] = (1.0 - tau) + partA[0];
            if (orderU >= 1) theta[P.index[1][0]] = -1.0;
            for (int j = 1; j <= orderV; ++j) theta[P.index[0][j]] = partA[j];
            multiply(P, theta, theta, bigDelta);
            for (int j = 0; j <= orderV; ++j) bigDelta[P.index[0][j]] += partB[j];
            heldGroup = group_[k];
        }
        // Delta^b = sum_m g_m (Delta - Delta0)^m / m!, g_m = b (b-1) ... Delta0^(b-m).
        const double d0 = bigDelta[0], r = 1.0 / d0;
        double pw = std::pow(d0, t.b), fall = 1.0;
        powered[0] = pw;
        for (int o = 1; o < n; ++o) powered[o] = 0.0;
        dh[0] = 0.0;
        for (int o = 1; o < n; ++o) power[o] = dh[o] = bigDelta[o];
        power[0] = 0.0;
        for (int m = 1; m <= K; ++m) {
            pw *= r;
            fall *= t.b - (m - 1);
            if (m > 1) {
                multiply(P, power, dh, next);
                for (int o = 1; o < n; ++o) power[o] = next[o];
            }
            const double c = fall * pw / kFactorial[m];
            for (int o = 1; o < n; ++o) powered[o] += c * power[o];
        }
        // n delta psi, a product of a function of tau and one of delta.
        const double* ofTau = &ofTau_[5 * k];
        double ofDelta[5], gd[5];
        gaussian(t.C, delta, orderV, gd);
        ofDelta[0] = delta * gd[0];
        for (int j = 1; j <= orderV; ++j) ofDelta[j] = delta * gd[j] + gd[j - 1];
        for (int o = 0; o < n; ++o) outer[o] = t.n * ofTau[P.i[o]] * ofDelta[P.j[o]];
        for (const auto& tr : P.products) sum[tr.out] += powered[tr.a] * outer[tr.b];
    }
    for (int o = 0; o < n; ++o) f[P.i[o]][P.j[o]] = kFactorial[P.i[o]] * kFactorial[P.j[o]] * sum[o];
}

void NonAnalyticSum::printFormula(FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = sum of %d terms n Delta^b %s psi (%s)\n", label(),
                 static_cast<int>(terms_.size()), labelOf(v), labelOf(u));
}

}  // namespace vornex

#include "fluid/NonAnalyticSum.h"
#include "numerics/Decimal.h"

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

void NonAnalyticSum::addTerm(const Term& t, std::string name) {
    if (name.empty()) name = "term " + std::to_string(terms_.size() + 1);
    names_.push_back(std::move(name));
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
    Plan& p = plan_;
    if (p.size > 0 && p.mu == mu && p.mv == mv && p.k == k) return p;
    p = Plan{};
    p.mu = mu;
    p.mv = mv;
    p.k = k;
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
inline void multiply(const NonAnalyticSum::Plan& p, const double* a, const double* b, double* out) {
    for (int o = 0; o < p.size; ++o) out[o] = 0.0;
    for (const auto& t : p.products) out[t.out] += a[t.a] * b[t.b];
}

}  // namespace

void NonAnalyticSum::holdTau(double tau, int orderU) {
    if (tau == heldTau_ && orderU <= heldOrderU_) return;
    ofTau_.resize(5 * terms_.size());
    for (size_t k = 0; k < terms_.size(); ++k) gaussian(terms_[k].D, tau, orderU, &ofTau_[5 * k]);
    heldTau_ = tau;
    heldOrderU_ = orderU;
}

// Along delta alone (the volume solves at fixed temperature) the polynomials have one
// variable: the same steps with their short loops unrolled.
template <int K>
void NonAnalyticSum::partialsAlongDelta(double tau, double delta, double f[5][5]) {
    const double s = delta - 1.0;
    double sum[K + 1] = {}, bigDelta[K + 1] = {};
    int heldGroup = -1;
    for (size_t k = 0; k < terms_.size(); ++k) {
        const Term& t = terms_[k];
        if (group_[k] != heldGroup) {
            double partA[5], partB[5], theta[K + 1];
            powerOfAbs(t.A, 1.0 / t.beta, s, K, partA);
            powerOfAbs(t.B, 2.0 * t.a, s, K, partB);
            theta[0] = (1.0 - tau) + partA[0];
#pragma GCC unroll 5
            for (int j = 1; j <= K; ++j) theta[j] = partA[j];
#pragma GCC unroll 5
            for (int j = 0; j <= K; ++j) {
                double c = 0.0;
#pragma GCC unroll 5
                for (int a = 0; a <= j; ++a) c += theta[a] * theta[j - a];
                bigDelta[j] = c + partB[j];
            }
            heldGroup = group_[k];
        }
        const double d0 = bigDelta[0], r = 1.0 / d0;
        double powered[K + 1] = {}, power[K + 1] = {};
        double pw = std::pow(d0, t.b), fall = 1.0;
        powered[0] = pw;
#pragma GCC unroll 5
        for (int j = 1; j <= K; ++j) power[j] = bigDelta[j];
#pragma GCC unroll 5
        for (int m = 1; m <= K; ++m) {
            pw *= r;
            fall *= t.b - (m - 1);
            if (m > 1) {
                // power <- power * (Delta - Delta0), highest coefficient first.
#pragma GCC unroll 5
                for (int j = K; j >= 1; --j) {
                    double c = 0.0;
#pragma GCC unroll 5
                    for (int a = 1; a < j; ++a) c += power[a] * bigDelta[j - a];
                    power[j] = c;
                }
            }
            const double c = fall * pw / kFactorial[m];
#pragma GCC unroll 5
            for (int j = 1; j <= K; ++j) powered[j] += c * power[j];
        }
        double gd[5], outer[K + 1];
        gaussian(t.C, delta, K, gd);
        const double scale = t.n * ofTau_[5 * k];
        outer[0] = scale * (delta * gd[0]);
#pragma GCC unroll 5
        for (int j = 1; j <= K; ++j) outer[j] = scale * (delta * gd[j] + gd[j - 1]);
#pragma GCC unroll 5
        for (int j = 0; j <= K; ++j)
#pragma GCC unroll 5
            for (int a = 0; a <= j; ++a) sum[j] += powered[a] * outer[j - a];
    }
#pragma GCC unroll 5
    for (int j = 0; j <= K; ++j) f[0][j] = kFactorial[j] * sum[j];
}

namespace {

// out = a b for polynomials in two variables of total degree K.
template <int K>
inline void multiplyTo(const double (&a)[K + 1][K + 1], const double (&b)[K + 1][K + 1],
                       double (&out)[K + 1][K + 1]) {
#pragma GCC unroll 5
    for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
        for (int j = 0; j <= K; ++j) {
            if (i + j > K) continue;
            double c = 0.0;
#pragma GCC unroll 5
            for (int i1 = 0; i1 <= K; ++i1)
#pragma GCC unroll 5
                for (int j1 = 0; j1 <= K; ++j1)
                    if (i1 <= i && j1 <= j) c += a[i1][j1] * b[i - i1][j - j1];
            out[i][j] = c;
        }
}

}  // namespace

// Derivatives of every order to K in both: the steps of the general case with the loops
// of a constant size.
template <int K>
void NonAnalyticSum::partialsInBoth(double tau, double delta, double f[5][5]) {
    using Poly = double[K + 1][K + 1];
    const double s = delta - 1.0;
    Poly sum = {}, bigDelta = {};
    int heldGroup = -1;
    for (size_t k = 0; k < terms_.size(); ++k) {
        const Term& t = terms_[k];
        if (group_[k] != heldGroup) {
            double partA[5], partB[5];
            powerOfAbs(t.A, 1.0 / t.beta, s, K, partA);
            powerOfAbs(t.B, 2.0 * t.a, s, K, partB);
            Poly theta = {};
            theta[0][0] = (1.0 - tau) + partA[0];
            theta[1][0] = -1.0;
#pragma GCC unroll 5
            for (int j = 1; j <= K; ++j) theta[0][j] = partA[j];
            multiplyTo<K>(theta, theta, bigDelta);
#pragma GCC unroll 5
            for (int j = 0; j <= K; ++j) bigDelta[0][j] += partB[j];
            heldGroup = group_[k];
        }
        const double d0 = bigDelta[0][0], r = 1.0 / d0;
        Poly powered = {}, power, dh, next;
        double pw = std::pow(d0, t.b), fall = 1.0;
        powered[0][0] = pw;
#pragma GCC unroll 5
        for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
            for (int j = 0; i + j <= K; ++j) power[i][j] = dh[i][j] = bigDelta[i][j];
        power[0][0] = dh[0][0] = 0.0;
#pragma GCC unroll 5
        for (int m = 1; m <= K; ++m) {
            pw *= r;
            fall *= t.b - (m - 1);
            if (m > 1) {
                multiplyTo<K>(power, dh, next);
#pragma GCC unroll 5
                for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
                    for (int j = 0; i + j <= K; ++j) power[i][j] = next[i][j];
            }
            const double c = fall * pw / kFactorial[m];
#pragma GCC unroll 5
            for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
                for (int j = 0; i + j <= K; ++j)
                    if (i + j > 0) powered[i][j] += c * power[i][j];
        }
        double gd[5], ofDelta[5];
        gaussian(t.C, delta, K, gd);
        ofDelta[0] = delta * gd[0];
#pragma GCC unroll 5
        for (int j = 1; j <= K; ++j) ofDelta[j] = delta * gd[j] + gd[j - 1];
        const double* ofTau = &ofTau_[5 * k];
        Poly outer, term;
#pragma GCC unroll 5
        for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
            for (int j = 0; i + j <= K; ++j) outer[i][j] = t.n * ofTau[i] * ofDelta[j];
        multiplyTo<K>(powered, outer, term);
#pragma GCC unroll 5
        for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
            for (int j = 0; i + j <= K; ++j) sum[i][j] += term[i][j];
    }
#pragma GCC unroll 5
    for (int i = 0; i <= K; ++i)
#pragma GCC unroll 5
        for (int j = 0; i + j <= K; ++j) f[i][j] = kFactorial[i] * kFactorial[j] * sum[i][j];
}

void NonAnalyticSum::partials(double tau, double delta, int orderU, int orderV, double f[5][5]) {
    holdTau(tau, orderU);
    if (orderU == orderV && orderU > 0) {
        switch (orderU) {
            case 1:
                return partialsInBoth<1>(tau, delta, f);
            case 2:
                return partialsInBoth<2>(tau, delta, f);
            case 3:
                return partialsInBoth<3>(tau, delta, f);
            default:
                return partialsInBoth<4>(tau, delta, f);
        }
    }
    if (orderU == 0) {
        switch (orderV) {
            case 0:
                return partialsAlongDelta<0>(tau, delta, f);
            case 1:
                return partialsAlongDelta<1>(tau, delta, f);
            case 2:
                return partialsAlongDelta<2>(tau, delta, f);
            case 3:
                return partialsAlongDelta<3>(tau, delta, f);
            default:
                return partialsAlongDelta<4>(tau, delta, f);
        }
    }
    const int K = orderU > orderV ? orderU : orderV;
    const Plan& P = plan(orderU, orderV, K);
    const int n = P.size;
    const double s = delta - 1.0;
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
    for (int o = 0; o < n; ++o)
        f[P.i[o]][P.j[o]] = kFactorial[P.i[o]] * kFactorial[P.j[o]] * sum[o];
}

void NonAnalyticSum::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = sum of %d terms n Delta^b %s psi (%s)\n", label(),
                 static_cast<int>(terms_.size()), labelOf(v), labelOf(u));
    const std::string d = labelOf(v), t = labelOf(u);
    for (std::size_t k = 0; k < terms_.size(); ++k) {
        const Term& c = terms_[k];
        printTerm(f, names_[k],
                  exact(c.n) + " Delta^" + exact(c.b) + " " + d + " psi, Delta = theta^2 + " +
                      exact(c.B) + " ((" + d + " - 1)^2)^" + exact(c.a) + ", theta = (1 - " + t +
                      ") + " + exact(c.A) + " ((" + d + " - 1)^2)^(0.5/" + exact(c.beta) +
                      "), psi = exp(-" + exact(c.C) + " (" + d + " - 1)^2 - " + exact(c.D) +
                      " (" + t + " - 1)^2)");
    }
}

}  // namespace vornex

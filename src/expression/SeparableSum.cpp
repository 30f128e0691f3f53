#include "expression/SeparableSum.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vornex {

namespace {

// Derivatives of exp(h) from those of h: the complete Bell polynomials in h', h'', ...
// e = exp(h[0]) is passed in, so that a higher order at the same point reuses it.
void exponentialDerivatives(const double* h, double e, int order, double* out) {
    out[0] = e;
    if (order >= 1) out[1] = e * h[1];
    if (order >= 2) out[2] = e * (h[1] * h[1] + h[2]);
    if (order >= 3) out[3] = e * (h[1] * h[1] * h[1] + 3.0 * h[1] * h[2] + h[3]);
    if (order >= 4) {
        out[4] = e * (h[1] * h[1] * h[1] * h[1] + 6.0 * h[1] * h[1] * h[2] + 4.0 * h[1] * h[3] +
                      3.0 * h[2] * h[2] + h[4]);
    }
}

}  // namespace

int SeparableSum::indexOf(std::vector<Factor>& factors, const Factor& f) {
    for (size_t i = 0; i < factors.size(); ++i)
        if (factors[i] == f) return static_cast<int>(i);
    factors.push_back(f);
    return static_cast<int>(factors.size()) - 1;
}

void SeparableSum::addTerm(double n, const Factor& ofU, const Factor& ofV, std::string name) {
    if (name.empty()) name = "term " + std::to_string(terms_.size() + 1);
    names_.push_back(std::move(name));
    terms_.push_back({n, indexOf(u_.factors, ofU), indexOf(v_.factors, ofV)});
    u_.order = v_.order = -1;
    u_.prepared = v_.prepared = false;
    weights_.clear();
}

// Distinct powers and exponentials of the factors, with what each update needs of them.
void SeparableSum::Side::prepare() {
    powers.clear();
    exponents.clear();
    powerOf.assign(factors.size(), -1);
    exponentOf.assign(factors.size(), -1);
    wholeCount = 1;
    auto powerIndex = [&](double q) {
        for (size_t i = 0; i < powers.size(); ++i)
            if (powers[i].q == q) return static_cast<int>(i);
        Power p{q, -1, {1, 0, 0, 0, 0}};
        if (q >= 0 && q <= 64 && q == std::floor(q)) {
            p.whole = static_cast<int>(q);
            wholeCount = std::max(wholeCount, p.whole + 1);
        }
        for (int k = 1; k < 5; ++k) p.fall[k] = p.fall[k - 1] * (q - (k - 1));
        powers.push_back(p);
        return static_cast<int>(powers.size()) - 1;
    };
    for (size_t i = 0; i < factors.size(); ++i) {
        const Factor& f = factors[i];
        if (f.p != 0.0) powerOf[i] = powerIndex(f.p);
        if (f.g == 0.0 && f.alpha == 0.0) continue;
        Exponent e{f.g != 0.0 ? powerIndex(f.c) : -1, f.g, f.alpha, f.eps};
        int found = -1;
        for (size_t j = 0; j < exponents.size(); ++j) {
            const Exponent& o = exponents[j];
            if (o.power == e.power && o.g == e.g && o.alpha == e.alpha && o.eps == e.eps)
                found = static_cast<int>(j);
        }
        if (found < 0) {
            exponents.push_back(e);
            found = static_cast<int>(exponents.size()) - 1;
        }
        exponentOf[i] = found;
    }
    powerValues.assign(5 * powers.size(), 0.0);
    exponentValues.assign(5 * exponents.size(), 0.0);
    values.assign(5 * factors.size(), 0.0);
    prepared = true;
}

template <int W>
void SeparableSum::Side::compute(bool again) {
    // Whole powers of x up to the largest whole exponent; the others through pow, their
    // derivatives by the reciprocal.
    double whole[65];
    whole[0] = 1.0;
    for (int k = 1; k < wholeCount; ++k) whole[k] = whole[k - 1] * x;
    const double r = 1.0 / x;
    for (size_t i = 0; i < powers.size(); ++i) {
        const Power& p = powers[i];
        double* P = &powerValues[5 * i];
        if (p.whole >= 0) {
#pragma GCC unroll 5
            for (int k = 0; k <= W; ++k) P[k] = k <= p.whole ? p.fall[k] * whole[p.whole - k] : 0.0;
        } else {
            double xq = again ? P[0] : std::pow(x, p.q);
            for (int k = 0; k <= W; ++k, xq *= r) P[k] = p.fall[k] * xq;
        }
    }
    for (size_t i = 0; i < exponents.size(); ++i) {
        const Exponent& e = exponents[i];
        double h[5] = {0, 0, 0, 0, 0};
        if (e.power >= 0) {
            const double* P = &powerValues[5 * e.power];
#pragma GCC unroll 5
            for (int k = 0; k <= W; ++k) h[k] = -e.g * P[k];
        }
        if (e.alpha != 0.0) {
            const double s = x - e.eps;
            h[0] -= e.alpha * s * s;
            h[1] -= 2.0 * e.alpha * s;
            h[2] -= 2.0 * e.alpha;
        }
        double* E = &exponentValues[5 * i];
        exponentialDerivatives(h, again ? E[0] : std::exp(h[0]), W, E);
    }
    static constexpr double kBinomial[5][5] = {
        {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 3, 1, 0}, {1, 4, 6, 4, 1}};
    static constexpr double kOne[5] = {1, 0, 0, 0, 0};
    for (size_t i = 0; i < factors.size(); ++i) {
        const double* P = powerOf[i] >= 0 ? &powerValues[5 * powerOf[i]] : kOne;
        double* out = &values[5 * i];
        if (exponentOf[i] < 0) {
#pragma GCC unroll 5
            for (int k = 0; k <= W; ++k) out[k] = P[k];
            continue;
        }
        // Leibniz: (P E)^(k) = sum_j C(k, j) P^(j) E^(k-j).
        const double* E = &exponentValues[5 * exponentOf[i]];
#pragma GCC unroll 5
        for (int k = 0; k <= W; ++k) {
            double s = 0.0;
#pragma GCC unroll 5
            for (int j = 0; j <= k; ++j) s += kBinomial[k][j] * P[j] * E[k - j];
            out[k] = s;
        }
    }
}

// Recomputes the factors' derivatives unless those held are at the same x and go as far.
bool SeparableSum::Side::update(double at, int wanted) {
    if (at == x && wanted <= order) return false;
    if (!prepared) prepare();
    // More derivatives at the same point: the powers and exponentials held are the values.
    const bool again = at == x && order >= 0;
    x = at;
    order = wanted;
    if (!again) ++version;
    // The order as a constant, so that the short loops unroll; the sums run in the same
    // order either way.
    switch (wanted) {
        case 0:
            compute<0>(again);
            break;
        case 1:
            compute<1>(again);
            break;
        case 2:
            compute<2>(again);
            break;
        case 3:
            compute<3>(again);
            break;
        default:
            compute<4>(again);
            break;
    }
    return true;
}

void SeparableSum::sumTerms(int orderU, int orderV, double f[5][5]) {
    const int order = std::max(orderU, orderV);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) f[i][j] = 0.0;
    if (orderU == 0) {
        // Along v alone the terms of one factor of v share it: weigh each factor once.
        if (weightsOf_ != u_.version || weights_.size() != v_.factors.size()) {
            weights_.assign(v_.factors.size(), 0.0);
            for (const Term& t : terms_) weights_[t.v] += t.n * u_.of(t.u)[0];
            weightsOf_ = u_.version;
        }
        switch (orderV) {
            case 0:
                return sumAlongV<0>(f[0]);
            case 1:
                return sumAlongV<1>(f[0]);
            case 2:
                return sumAlongV<2>(f[0]);
            case 3:
                return sumAlongV<3>(f[0]);
            default:
                return sumAlongV<4>(f[0]);
        }
    }
    // The orders the evaluations ask for with their loops unrolled; the sums run in the
    // same order either way.
    switch (orderU == orderV ? orderU : orderV == 0 ? 10 + orderU : -1) {
        case 1:
            return sumTermsTo<1, 1>(f);
        case 2:
            return sumTermsTo<2, 2>(f);
        case 3:
            return sumTermsTo<3, 3>(f);
        case 4:
            return sumTermsTo<4, 4>(f);
        case 11:
            return sumTermsTo<1, 0>(f);
        case 12:
            return sumTermsTo<2, 0>(f);
        case 13:
            return sumTermsTo<3, 0>(f);
        case 14:
            return sumTermsTo<4, 0>(f);
        default:
            break;
    }
    for (const Term& t : terms_) {
        const double* a = u_.of(t.u);
        const double* b = v_.of(t.v);
        for (int i = 0; i <= orderU; ++i) {
            const double na = t.n * a[i];
            for (int j = 0; j <= orderV && i + j <= order; ++j) f[i][j] += na * b[j];
        }
    }
}

template <int KV>
void SeparableSum::sumAlongV(double* row) {
    for (size_t k = 0; k < weights_.size(); ++k) {
        const double w = weights_[k];
        const double* b = v_.of(static_cast<int>(k));
#pragma GCC unroll 5
        for (int j = 0; j <= KV; ++j) row[j] += w * b[j];
    }
}

template <int KU, int KV>
void SeparableSum::sumTermsTo(double f[5][5]) {
    constexpr int K = KU > KV ? KU : KV;
    double acc[KU + 1][KV + 1] = {};
    for (const Term& t : terms_) {
        const double* a = u_.of(t.u);
        const double* b = v_.of(t.v);
#pragma GCC unroll 5
        for (int i = 0; i <= KU; ++i) {
            const double na = t.n * a[i];
#pragma GCC unroll 5
            for (int j = 0; j <= KV; ++j)
                if (i + j <= K) acc[i][j] += na * b[j];
        }
    }
    for (int i = 0; i <= KU; ++i)
        for (int j = 0; j <= KV; ++j)
            if (i + j <= K) f[i][j] = acc[i][j];
}

void SeparableSum::partials(double atU, double atV, int orderU, int orderV, double f[5][5]) {
    u_.update(atU, orderU);
    v_.update(atV, orderV);
    sumTerms(orderU, orderV, f);
}

void SeparableSum::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = sum of %d terms n F(%s) G(%s)\n", label(),
                 static_cast<int>(terms_.size()), labelOf(u), labelOf(v));
    // x^p, then the exponent -g x^c - alpha (x - eps)^2 of each child, gathered in one exp.
    auto power = [](const char* x, double p) {
        return p == 0.0 ? std::string() : " " + std::string(x) + "^" + exact(p);
    };
    auto exponent = [](const char* x, const Factor& F, std::string& e) {
        auto minus = [&e](double a, const std::string& what) {
            e += (e.empty() ? (a < 0.0 ? "" : "-") : (a < 0.0 ? " + " : " - "));
            if (std::fabs(a) != 1.0 || what.empty()) e += exact(std::fabs(a)) + " ";
            e += what;
        };
        if (F.g != 0.0) minus(F.g, std::string(x) + "^" + exact(F.c));
        if (F.alpha != 0.0)
            minus(F.alpha, "(" + std::string(x) + " - " + exact(F.eps) + ")^2");
    };
    for (std::size_t k = 0; k < terms_.size(); ++k) {
        const Term& t = terms_[k];
        const Factor& U = u_.factors[static_cast<std::size_t>(t.u)];
        const Factor& V = v_.factors[static_cast<std::size_t>(t.v)];
        std::string formula = exact(t.n) + power(labelOf(v), V.p) + power(labelOf(u), U.p);
        std::string e;
        exponent(labelOf(v), V, e);
        exponent(labelOf(u), U, e);
        if (!e.empty()) formula += " exp(" + e + ")";
        printTerm(f, names_[k], formula);
    }
}

}  // namespace vornex

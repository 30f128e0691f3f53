#include "expression/SeparableSum.h"

#include <algorithm>
#include <cmath>

namespace vornex {

namespace {

// Derivatives of exp(h) from those of h: the complete Bell polynomials in h', h'', ...
void exponentialDerivatives(const double* h, int order, double* out) {
    const double e = std::exp(h[0]);
    out[0] = e;
    if (order >= 1) out[1] = e * h[1];
    if (order >= 2) out[2] = e * (h[1] * h[1] + h[2]);
    if (order >= 3) out[3] = e * (h[1] * h[1] * h[1] + 3.0 * h[1] * h[2] + h[3]);
    if (order >= 4) {
        out[4] = e * (h[1] * h[1] * h[1] * h[1] + 6.0 * h[1] * h[1] * h[2] +
                      4.0 * h[1] * h[3] + 3.0 * h[2] * h[2] + h[4]);
    }
}

// Partial Bell polynomials B[p][i] of the pure derivatives w[1..4] of one child.
void bellTable(const double* w, int order, double B[5][5]) {
    for (int p = 0; p < 5; ++p)
        for (int i = 0; i < 5; ++i) B[p][i] = 0.0;
    B[0][0] = 1.0;
    if (order >= 1) B[1][1] = w[1];
    if (order >= 2) B[2][1] = w[2], B[2][2] = w[1] * w[1];
    if (order >= 3) B[3][1] = w[3], B[3][2] = 3.0 * w[1] * w[2], B[3][3] = w[1] * w[1] * w[1];
    if (order >= 4) {
        B[4][1] = w[4];
        B[4][2] = 4.0 * w[1] * w[3] + 3.0 * w[2] * w[2];
        B[4][3] = 6.0 * w[1] * w[1] * w[2];
        B[4][4] = w[1] * w[1] * w[1] * w[1];
    }
}

}  // namespace

int SeparableSum::indexOf(std::vector<Factor>& factors, const Factor& f) {
    for (size_t i = 0; i < factors.size(); ++i)
        if (factors[i] == f) return static_cast<int>(i);
    factors.push_back(f);
    return static_cast<int>(factors.size()) - 1;
}

void SeparableSum::addTerm(double n, const Factor& ofU, const Factor& ofV) {
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

// Recomputes the factors' derivatives unless those held are at the same x and go as far.
bool SeparableSum::Side::update(double at, int wanted) {
    if (at == x && wanted <= order) return false;
    if (!prepared) prepare();
    x = at;
    order = wanted;
    ++version;
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
            for (int k = 0; k <= wanted; ++k) P[k] = k <= p.whole ? p.fall[k] * whole[p.whole - k] : 0.0;
        } else {
            double xq = std::pow(x, p.q);
            for (int k = 0; k <= wanted; ++k, xq *= r) P[k] = p.fall[k] * xq;
        }
    }
    for (size_t i = 0; i < exponents.size(); ++i) {
        const Exponent& e = exponents[i];
        double h[5] = {0, 0, 0, 0, 0};
        if (e.power >= 0) {
            const double* P = &powerValues[5 * e.power];
            for (int k = 0; k <= wanted; ++k) h[k] = -e.g * P[k];
        }
        if (e.alpha != 0.0) {
            const double s = x - e.eps;
            h[0] -= e.alpha * s * s;
            h[1] -= 2.0 * e.alpha * s;
            h[2] -= 2.0 * e.alpha;
        }
        exponentialDerivatives(h, wanted, &exponentValues[5 * i]);
    }
    static constexpr double kBinomial[5][5] = {
        {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 3, 1, 0}, {1, 4, 6, 4, 1}};
    static constexpr double kOne[5] = {1, 0, 0, 0, 0};
    for (size_t i = 0; i < factors.size(); ++i) {
        const double* P = powerOf[i] >= 0 ? &powerValues[5 * powerOf[i]] : kOne;
        double* out = &values[5 * i];
        if (exponentOf[i] < 0) {
            for (int k = 0; k <= wanted; ++k) out[k] = P[k];
            continue;
        }
        // Leibniz: (P E)^(k) = sum_j C(k, j) P^(j) E^(k-j).
        const double* E = &exponentValues[5 * exponentOf[i]];
        for (int k = 0; k <= wanted; ++k) {
            double s = 0.0;
            for (int j = 0; j <= k; ++j) s += kBinomial[k][j] * P[j] * E[k - j];
            out[k] = s;
        }
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
        double* row = f[0];
        for (size_t k = 0; k < weights_.size(); ++k) {
            const double w = weights_[k];
            const double* b = v_.of(static_cast<int>(k));
            for (int j = 0; j <= orderV; ++j) row[j] += w * b[j];
        }
        return;
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

// The one variable each child depends on (-1: none), read at every evaluation since an
// owner may set the leaves' dependencies after the graph was analysed; false, with sError
// set and the fault reported once, when a child depends on more than one or both on the
// same.
bool SeparableSum::locateVariables() {
    varU_ = varV_ = -1;
    const int n = numberOfVariables();
    int countU = 0, countV = 0;
    for (int i = 0; i < n; ++i) {
        if (u->isDependent(i)) varU_ = i, ++countU;
        if (v->isDependent(i)) varV_ = i, ++countV;
    }
    if (countU <= 1 && countV <= 1 && (varU_ < 0 || varU_ != varV_)) return true;
    if (!reported_) {
        std::fprintf(stderr,
                     "Error : \"%s\" needs children that depend on one variable each, and not "
                     "the same.\n",
                     label());
        reported_ = true;
    }
    sError = 1;
    return false;
}

void SeparableSum::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    v->calculate(order);
    if (!locateVariables()) {
        computed = true;
        return;
    }
    const int k = usableOrder(order);
    const int kU = varU_ >= 0 ? k : 0, kV = varV_ >= 0 ? k : 0;
    u_.update(u->value(), kU);
    v_.update(v->value(), kV);
    double f[5][5];
    sumTerms(kU, kV, f);
    value() = f[0][0];
    if (k < 1) {
        computed = true;
        return;
    }
    double wu[5] = {0, 0, 0, 0, 0}, wv[5] = {0, 0, 0, 0, 0};
    int pu[kMaxDerivativeOrder + 1], pv[kMaxDerivativeOrder + 1];
    if (kU > 0) {
        layout().diagonals(varU_, kU, pu);
        for (int p = 1; p <= kU; ++p) wu[p] = u->block()[pu[p]];
    }
    if (kV > 0) {
        layout().diagonals(varV_, kV, pv);
        for (int q = 1; q <= kV; ++q) wv[q] = v->block()[pv[q]];
    }
    double BU[5][5], BV[5][5];
    bellTable(wu, kU, BU);
    bellTable(wv, kV, BV);
    double* out = block();
    for (int p = 0; p <= kU; ++p) {
        for (int q = 0; q <= kV && p + q <= k; ++q) {
            if (p + q == 0) continue;
            double s = 0.0;
            for (int i = p > 0 ? 1 : 0; i <= p; ++i)
                for (int j = q > 0 ? 1 : 0; j <= q; ++j) s += f[i][j] * BU[p][i] * BV[q][j];
            int idx[kMaxDerivativeOrder];
            int m = 0;
            const int hi = std::max(varU_, varV_), lo = std::min(varU_, varV_);
            const int nHi = hi == varU_ ? p : q, nLo = p + q - nHi;
            for (int r = 0; r < nHi; ++r) idx[m++] = hi;
            for (int r = 0; r < nLo; ++r) idx[m++] = lo;
            int pos = 0;
            switch (m) {
                case 1: pos = layout().at(idx[0]); break;
                case 2: pos = layout().at(idx[0], idx[1]); break;
                case 3: pos = layout().at(idx[0], idx[1], idx[2]); break;
                default: pos = layout().at(idx[0], idx[1], idx[2], idx[3]); break;
            }
            out[pos] = s;
        }
    }
    computed = true;
}

void SeparableSum::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    v->calculate(order, var);
    if (!locateVariables()) {
        computed = true;
        return;
    }
    const bool alongU = var == varU_ && var >= 0, alongV = var == varV_ && var >= 0;
    const int k = alongU || alongV ? usableOrder(order) : 0;
    u_.update(u->value(), alongU ? k : 0);
    v_.update(v->value(), alongV ? k : 0);
    double f[5][5];
    sumTerms(alongU ? k : 0, alongV ? k : 0, f);
    value() = f[0][0];
    if (k >= 1) {
        Expression* child = alongU ? u : v;
        int p[kMaxDerivativeOrder + 1];
        layout().diagonals(var, k, p);
        double w[5] = {0, 0, 0, 0, 0};
        for (int r = 1; r <= k; ++r) w[r] = child->block()[p[r]];
        double B[5][5];
        bellTable(w, k, B);
        for (int r = 1; r <= k; ++r) {
            double s = 0.0;
            for (int i = 1; i <= r; ++i) s += (alongU ? f[i][0] : f[0][i]) * B[r][i];
            block()[p[r]] = s;
        }
    }
    computed = true;
}

void SeparableSum::printFormula(FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = sum of %d terms n F(%s) G(%s)\n", label(),
                 static_cast<int>(terms_.size()), labelOf(u), labelOf(v));
}

}  // namespace vornex

#include "water/WagnerPrussKernel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "water/WagnerCoefficients.h"

namespace vornex {

namespace {

// Below this exponent psi is under 1e-30: a non-analytic term, its derivatives' factors
// (powers of 2 C (delta - 1) and 2 D (tau - 1), Delta^b) included, adds less than the
// last bit of what the other terms sum to.
constexpr double kNegligibleExponent = -70.0;

// Within this distance of the critical density the non-analytic terms are left to the
// graph, whose powers of (delta - 1)^2 take their limits there.
constexpr double kCriticalDensityBand = 1e-3;

bool isWhole(double t) {
    return t >= 0.0 && t <= 64.0 && t == std::floor(t);
}

// The delta side of terms 1-54, shared by every model object: the distinct exponentials
// of delta and the highest power they need.
struct DeltaTerm {
    double n;
    int d;      // delta^d
    int c;      // exp(-delta^c), 0: none
    int gauss;  // index of exp(-alpha (delta - eps)^2) in gaussians, -1: none
    double alpha, eps;
};
struct Gaussian {
    double alpha, eps;
};
struct DeltaTable {
    std::vector<DeltaTerm> terms;
    std::vector<Gaussian> gaussians;
    std::vector<int> exponents;  // the distinct c of exp(-delta^c)
    int highestPower = 0;
    bool usable = true;
};

DeltaTable makeDeltaTable() {
    using namespace iapws95;
    DeltaTable t;
    for (const auto& k : kPowerTerms) t.terms.push_back({k.n, k.d, 0, -1, 0.0, 0.0});
    for (const auto& k : kExponentialTerms) {
        t.terms.push_back({k.n, k.d, k.c, -1, 0.0, 0.0});
        if (k.g != 1.0) t.usable = false;  // exp(-g delta^c) is kept for g = 1 alone
        if (std::find(t.exponents.begin(), t.exponents.end(), k.c) == t.exponents.end())
            t.exponents.push_back(k.c);
    }
    for (const auto& k : kGaussianTerms) {
        int found = -1;
        for (size_t i = 0; i < t.gaussians.size(); ++i)
            if (t.gaussians[i].alpha == k.alpha && t.gaussians[i].eps == k.eps)
                found = static_cast<int>(i);
        if (found < 0) {
            t.gaussians.push_back({k.alpha, k.eps});
            found = static_cast<int>(t.gaussians.size()) - 1;
        }
        t.terms.push_back({k.n, k.d, 0, found, k.alpha, k.eps});
    }
    for (const DeltaTerm& term : t.terms)
        t.highestPower = std::max({t.highestPower, term.d, term.c});
    if (t.gaussians.size() > 8 || t.highestPower > 64 ||
        t.terms.size() != static_cast<size_t>(WagnerPrussKernel::kSeparableTerms))
        t.usable = false;
    return t;
}

// The powers of delta, the distinct exp(-delta^c) and the Gaussians at one delta.
struct DeltaFactors {
    double dp[65], ex[65], gauss[8];
    DeltaFactors(const DeltaTable& table, double delta) {
        dp[0] = 1.0;
        for (int k = 1; k <= table.highestPower; ++k) dp[k] = dp[k - 1] * delta;
        for (int c : table.exponents) ex[c] = std::exp(-dp[c]);
        for (size_t g = 0; g < table.gaussians.size(); ++g) {
            const double a = delta - table.gaussians[g].eps;
            gauss[g] = std::exp(-table.gaussians[g].alpha * a * a);
        }
    }
};

// The tau side of terms 1-54: each term's whole power of tau, or the index of its power
// among the distinct fractional ones, and of its Gaussian among the distinct ones.
struct TauTable {
    struct Term {
        int whole = -1;     // t when whole
        int fraction = -1;  // index in fractions otherwise
        int gauss = -1;     // index in gaussians, -1: none
    };
    std::vector<Term> terms;
    std::vector<double> fractions;
    std::vector<std::pair<double, double>> gaussians;  // (beta, gamma)
    int highestPower = 0;
    bool fits() const {
        return fractions.size() <= 8 && gaussians.size() <= 8 && highestPower <= 64;
    }
};

TauTable makeTauTable() {
    using namespace iapws95;
    TauTable t;
    auto power = [&t](double exponent) {
        TauTable::Term term;
        if (isWhole(exponent)) {
            term.whole = static_cast<int>(exponent);
            t.highestPower = std::max(t.highestPower, term.whole);
            return term;
        }
        auto at = std::find(t.fractions.begin(), t.fractions.end(), exponent);
        term.fraction = static_cast<int>(at - t.fractions.begin());
        if (at == t.fractions.end()) t.fractions.push_back(exponent);
        return term;
    };
    for (const auto& k : kPowerTerms) t.terms.push_back(power(k.t));
    for (const auto& k : kExponentialTerms) t.terms.push_back(power(k.t));
    for (const auto& k : kGaussianTerms) {
        TauTable::Term term = power(k.t);
        const std::pair<double, double> g{k.beta, k.gamma};
        auto at = std::find(t.gaussians.begin(), t.gaussians.end(), g);
        term.gauss = static_cast<int>(at - t.gaussians.begin());
        if (at == t.gaussians.end()) t.gaussians.push_back(g);
        t.terms.push_back(term);
    }
    return t;
}

const TauTable& tauTable() {
    static const TauTable table = makeTauTable();
    return table;
}

// The kernels serve while both sides of the table fit their fixed arrays.
const DeltaTable& deltaTable() {
    static const DeltaTable table = [] {
        DeltaTable t = makeDeltaTable();
        if (!tauTable().fits()) t.usable = false;
        return t;
    }();
    return table;
}

}  // namespace

static_assert(std::size(iapws95::kPowerTerms) + std::size(iapws95::kExponentialTerms) +
                      std::size(iapws95::kGaussianTerms) ==
                  WagnerPrussKernel::kSeparableTerms,
              "one tau factor for each of the table's terms 1-54");

WagnerPrussKernel::Reduced::Reduced(double T, double V) {
    const double rT = 1.0 / T, rV = 1.0 / V;
    tau = iapws95::kReducing.Tc * rT;
    tT = tau * -rT;
    tTT = tT * (-2 * rT);
    tTTT = tTT * (-3 * rT);
    delta = iapws95::kReducing.Vc * rV;
    dV = delta * -rV;
    dVV = dV * (-2 * rV);
    dVVV = dVV * (-3 * rV);
}

bool WagnerPrussKernel::nearCriticalTemperature(double TK) {
    return std::fabs(TK / iapws95::kReducing.Tc - 1.0) < 1e-2;
}

WagnerPrussKernel::WagnerPrussKernel() {
    for (const auto& k : iapws95::kNonAnalyticTerms)
        nonAnalytic_.addTerm({k.n, k.a, k.b, k.B, k.C, k.D, k.A, k.beta});
}

void WagnerPrussKernel::holdTau(double tau) {
    using namespace iapws95;
    if (tau == heldTau_) return;
    const TauTable& table = tauTable();
    double whole[65];
    whole[0] = 1.0;
    for (int k = 1; k <= table.highestPower; ++k) whole[k] = whole[k - 1] * tau;
    double fraction[8], gauss[8];
    for (size_t k = 0; k < table.fractions.size(); ++k)
        fraction[k] = std::pow(tau, table.fractions[k]);
    for (size_t k = 0; k < table.gaussians.size(); ++k) {
        const double b = tau - table.gaussians[k].second;
        gauss[k] = std::exp(-table.gaussians[k].first * b * b);
    }
    for (size_t i = 0; i < table.terms.size(); ++i) {
        const TauTable::Term& t = table.terms[i];
        tauFactor_[i] = t.whole >= 0 ? whole[t.whole] : fraction[t.fraction];
        if (t.gauss >= 0) tauFactor_[i] *= gauss[t.gauss];
    }
    const double tm = tau - 1.0;
    for (int j = 0; j < 2; ++j) psiTau_[j] = std::exp(-kNonAnalyticTerms[j].D * tm * tm);
    heldTau_ = tau;
}

void WagnerPrussKernel::holdTauDerivatives(double tau) {
    using namespace iapws95;
    holdTau(tau);
    if (tau == derivativesTau_) return;
    // F = exp(h): h' = t/tau [- 2 beta (tau - gamma)], h'' = -t/tau^2 [- 2 beta],
    // h''' = 2 t/tau^3.
    const double it = 1.0 / tau;
    auto derivatives = [&](size_t term, double n, double t, double h1, double h2) {
        h1 += t * it;
        h2 -= t * it * it;
        const double h3 = 2.0 * t * it * it * it;
        nF_[term] = n * tauFactor_[term];
        nF1_[term] = nF_[term] * h1;
        nF2_[term] = nF_[term] * (h1 * h1 + h2);
        nF3_[term] = nF_[term] * (h1 * h1 * h1 + 3.0 * h1 * h2 + h3);
    };
    size_t i = 0;
    for (const auto& k : kPowerTerms) derivatives(i, k.n, k.t, 0.0, 0.0), ++i;
    for (const auto& k : kExponentialTerms) derivatives(i, k.n, k.t, 0.0, 0.0), ++i;
    for (const auto& k : kGaussianTerms) {
        derivatives(i, k.n, k.t, -2.0 * k.beta * (tau - k.gamma), -2.0 * k.beta);
        ++i;
    }
    derivativesTau_ = tau;
}

bool WagnerPrussKernel::deltaDerivatives(double tau, double delta, double& phiD, double& phiDD) {
    using namespace iapws95;
    const double dm = delta - 1.0;
    const DeltaTable& table = deltaTable();
    if (!table.usable || !(delta > 0.0) || !(std::fabs(dm) >= kCriticalDensityBand) ||
        !std::isfinite(tau))
        return false;
    holdTau(tau);
    const double id = 1.0 / delta, id2 = id * id;
    const DeltaFactors factors(table, delta);
    const double *dp = factors.dp, *ex = factors.ex, *gauss = factors.gauss;
    // n tau-part G(delta) with G'/G = Ld and G''/G = Ld^2 + Ldd.
    double d1 = 0.0, d2 = 0.0;
    for (size_t i = 0; i < table.terms.size(); ++i) {
        const DeltaTerm& t = table.terms[i];
        double G = dp[t.d], Ld = t.d * id, Ldd = -t.d * id2;
        if (t.c > 0) {
            const double dc = dp[t.c];
            G *= ex[t.c];
            Ld = (t.d - t.c * dc) * id;
            Ldd = (-t.d - t.c * (t.c - 1) * dc) * id2;
        } else if (t.gauss >= 0) {
            G *= gauss[t.gauss];
            Ld -= 2.0 * t.alpha * (delta - t.eps);
            Ldd -= 2.0 * t.alpha;
        }
        const double P = t.n * tauFactor_[i] * G;
        d1 += P * Ld;
        d2 += P * (Ld * Ld + Ldd);
    }
    // The non-analytic terms n Delta^b delta psi.
    const double tm = tau - 1.0, dm2 = dm * dm, lnDm2 = std::log(dm2);
    for (int j = 0; j < 2; ++j) {
        const auto& k = kNonAnalyticTerms[j];
        const double x = -k.C * dm2;
        if (x - k.D * tm * tm < kNegligibleExponent) continue;
        const double e = 1.0 / (2.0 * k.beta) - 1.0;
        const double q = std::exp(e * lnDm2);  // ((delta - 1)^2)^(1/(2 beta) - 1)
        const double dm2a1 = std::exp((k.a - 1.0) * lnDm2);
        const double theta = -tm + k.A * q * dm2;
        const double Delta = theta * theta + k.B * dm2a1 * dm2;
        const double Delta_d = dm * (k.A * theta * 2.0 / k.beta * q + 2.0 * k.B * k.a * dm2a1);
        const double Delta_dd = Delta_d / dm + dm2 * (4.0 * k.B * k.a * (k.a - 1.0) * dm2a1 / dm2 +
                                                      2.0 * k.A * k.A / (k.beta * k.beta) * q * q +
                                                      k.A * theta * 4.0 / k.beta * e * q / dm2);
        const double Db1 = std::exp((k.b - 1.0) * std::log(Delta));
        const double Db = Db1 * Delta, Db2 = Db1 / Delta;
        const double Db_d = k.b * Db1 * Delta_d;
        const double Db_dd = k.b * (Db1 * Delta_dd + (k.b - 1.0) * Db2 * Delta_d * Delta_d);
        const double psi = std::exp(x) * psiTau_[j];
        const double psi_d = -2.0 * k.C * dm * psi;
        const double psi_dd = (2.0 * k.C * dm2 - 1.0) * 2.0 * k.C * psi;
        d1 += k.n * (Db * (psi + delta * psi_d) + Db_d * delta * psi);
        d2 += k.n * (Db * (2.0 * psi_d + delta * psi_dd) + 2.0 * Db_d * (psi + delta * psi_d) +
                     Db_dd * delta * psi);
    }
    if (!std::isfinite(d1) || !std::isfinite(d2)) return false;
    phiD = d1;
    phiDD = d2;
    return true;
}

bool WagnerPrussKernel::residualDerivatives(double tau, double delta, Residual& out) {
    if (tau == lastTau_ && delta == lastDelta_) {
        out = last_;
        return true;
    }
    const DeltaTable& table = deltaTable();
    if (!table.usable || !(delta > 0.0) || !(tau > 0.0) || !std::isfinite(delta) ||
        !std::isfinite(tau))
        return false;
    holdTauDerivatives(tau);
    const double id = 1.0 / delta, id2 = id * id, id3 = id2 * id;
    const DeltaFactors factors(table, delta);
    const double *dp = factors.dp, *ex = factors.ex, *gauss = factors.gauss;
    // G(delta) = exp(h): G'/G = h', G''/G = h'^2 + h'', G'''/G = h'^3 + 3 h' h'' + h'''.
    Residual r{};
    for (size_t i = 0; i < table.terms.size(); ++i) {
        const DeltaTerm& t = table.terms[i];
        double G = dp[t.d], h1 = t.d * id, h2 = -t.d * id2, h3 = 2.0 * t.d * id3;
        if (t.c > 0) {
            const double dc = dp[t.c];
            G *= ex[t.c];
            h1 = (t.d - t.c * dc) * id;
            h2 = (-t.d - t.c * (t.c - 1) * dc) * id2;
            h3 = (2.0 * t.d - t.c * (t.c - 1) * (t.c - 2) * dc) * id3;
        } else if (t.gauss >= 0) {
            G *= gauss[t.gauss];
            h1 -= 2.0 * t.alpha * (delta - t.eps);
            h2 -= 2.0 * t.alpha;
        }
        const double G1 = G * h1, G2 = G * (h1 * h1 + h2),
                     G3 = G * (h1 * h1 * h1 + 3.0 * h1 * h2 + h3);
        const double F = nF_[i], F1 = nF1_[i], F2 = nF2_[i], F3 = nF3_[i];
        r.f += F * G;
        r.t += F1 * G;
        r.d += F * G1;
        r.tt += F2 * G;
        r.td += F1 * G1;
        r.dd += F * G2;
        r.ttt += F3 * G;
        r.ttd += F2 * G1;
        r.tdd += F1 * G2;
        r.ddd += F * G3;
    }
    // The non-analytic terms where psi holds anything a double keeps next to the sum.
    double n[5][5] = {};
    const double tm = tau - 1.0, dm = delta - 1.0;
    bool reaches = false;
    for (const auto& k : iapws95::kNonAnalyticTerms)
        reaches = reaches || -k.C * dm * dm - k.D * tm * tm >= kNegligibleExponent;
    if (reaches) nonAnalytic_.partialsAt(tau, delta, 3, n);
    r.f += n[0][0];
    r.t += n[1][0];
    r.d += n[0][1];
    r.tt += n[2][0];
    r.td += n[1][1];
    r.dd += n[0][2];
    r.ttt += n[3][0];
    r.ttd += n[2][1];
    r.tdd += n[1][2];
    r.ddd += n[0][3];
    for (double v : {r.f, r.t, r.d, r.tt, r.td, r.dd, r.ttt, r.ttd, r.tdd, r.ddd})
        if (!std::isfinite(v)) return false;
    lastTau_ = tau;
    lastDelta_ = delta;
    last_ = r;
    out = r;
    return true;
}

}  // namespace vornex

#include "water/WagnerPrussVolumeKernel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "water/WagnerCoefficients.h"

namespace vornex {

namespace {

// Below this exponent psi is under 1e-60: a non-analytic term adds nothing a double holds
// next to the other terms.
constexpr double kNegligibleExponent = -140.0;

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
    for (const DeltaTerm& term : t.terms) t.highestPower = std::max({t.highestPower, term.d, term.c});
    if (t.gaussians.size() > 8 || t.highestPower > 64 ||
        t.terms.size() != static_cast<size_t>(WagnerPrussVolumeKernel::kSeparableTerms))
        t.usable = false;
    return t;
}

const DeltaTable& deltaTable() {
    static const DeltaTable table = makeDeltaTable();
    return table;
}

}  // namespace

static_assert(std::size(iapws95::kPowerTerms) + std::size(iapws95::kExponentialTerms) +
                      std::size(iapws95::kGaussianTerms) ==
                  WagnerPrussVolumeKernel::kSeparableTerms,
              "one tau factor for each of the table's terms 1-54");

void WagnerPrussVolumeKernel::holdTau(double tau) {
    using namespace iapws95;
    if (tau == heldTau_) return;
    double whole[65];
    whole[0] = 1.0;
    for (int k = 1; k < 65; ++k) whole[k] = whole[k - 1] * tau;
    auto power = [&](double t) {
        return isWhole(t) ? whole[static_cast<int>(t)] : std::pow(tau, t);
    };
    size_t i = 0;
    for (const auto& k : kPowerTerms) tauFactor_[i++] = power(k.t);
    for (const auto& k : kExponentialTerms) tauFactor_[i++] = power(k.t);
    for (const auto& k : kGaussianTerms) {
        const double b = tau - k.gamma;
        tauFactor_[i++] = power(k.t) * std::exp(-k.beta * b * b);
    }
    const double tm = tau - 1.0;
    for (int j = 0; j < 2; ++j) psiTau_[j] = std::exp(-kNonAnalyticTerms[j].D * tm * tm);
    heldTau_ = tau;
}

bool WagnerPrussVolumeKernel::deltaDerivatives(double tau, double delta, double& phiD,
                                                double& phiDD) {
    using namespace iapws95;
    const double dm = delta - 1.0;
    const DeltaTable& table = deltaTable();
    if (!table.usable || !(delta > 0.0) || !(std::fabs(dm) >= kCriticalDensityBand) ||
        !std::isfinite(tau))
        return false;
    holdTau(tau);
    const double id = 1.0 / delta, id2 = id * id;
    double dp[65];
    dp[0] = 1.0;
    for (int k = 1; k <= table.highestPower; ++k) dp[k] = dp[k - 1] * delta;
    double ex[65];
    for (int c : table.exponents) ex[c] = std::exp(-dp[c]);
    double gauss[8];
    for (size_t g = 0; g < table.gaussians.size(); ++g) {
        const double a = delta - table.gaussians[g].eps;
        gauss[g] = std::exp(-table.gaussians[g].alpha * a * a);
    }
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
        const double Delta_dd = Delta_d / dm +
                                dm2 * (4.0 * k.B * k.a * (k.a - 1.0) * dm2a1 / dm2 +
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

}  // namespace vornex

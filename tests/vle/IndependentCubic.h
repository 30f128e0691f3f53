// A two-constant cubic equation of state written apart from the library, for checking its
// mixture equilibria: Peng-Robinson or Soave-Redlich-Kwong with the triple-root constants
// solved here, quadratic mixing with kij, and the component constants of the library's table.
// Besides ln phi it gives a saturation point by Newton's method from a start, and the lowest
// distance of a trial phase below a tangent plane.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace vornex::testing {

struct IndependentComponent {
    double Tc, Pc, omega;  // K, Pa
};

inline IndependentComponent independentComponent(const std::string& name) {
    if (name == "CH4") return {190.555, 4595000.0, 0.013};
    if (name == "C2H6") return {305.4, 4820000.0, 0.105};
    if (name == "C3H8") return {369.95, 4190000.0, 0.152};
    if (name == "nC10H22") return {617.9, 2072000.0, 0.49};
    if (name == "N2") return {126.2, 3390000.0, 0.04};
    return {304.21, 7382500.0, 0.225};  // CO2
}

class IndependentCubic {
   public:
    // P = RT/(V - b) - a/((V + e1 b)(V + e2 b)): PR e1,2 = 1 +- sqrt 2, SRK 1 and 0.
    IndependentCubic(bool pengRobinson, const std::vector<std::string>& names)
        : n_(names.size()) {
        e1_ = pengRobinson ? 1.0 + std::sqrt(2.0) : 1.0;
        e2_ = pengRobinson ? 1.0 - std::sqrt(2.0) : 0.0;
        // Omega_b and Omega_a make the cubic in Z a triple root at the critical point.
        const double s = -(e1_ + e2_), p = e1_ * e2_;
        auto coefficients = [&](double B, double& Zc, double& A) {
            Zc = (1.0 + B * (1.0 + s)) / 3.0;
            A = 3.0 * Zc * Zc - p * B * B - s * B * (B + 1.0);
            return p * B * B * (B + 1.0) + A * B - Zc * Zc * Zc;
        };
        double lo = 1e-3, hi = 0.2, Zc = 0.0, A = 0.0;
        const double sign = coefficients(lo, Zc, A);
        for (int k = 0; k < 200; ++k) {
            const double mid = 0.5 * (lo + hi);
            (coefficients(mid, Zc, A) * sign > 0.0 ? lo : hi) = mid;
        }
        const double Ob = 0.5 * (lo + hi);
        coefficients(Ob, Zc, A);
        const double Oa = A;
        const double m0 = pengRobinson ? 0.37464 : 0.48, m1 = pengRobinson ? 1.54226 : 1.574,
                     m2 = pengRobinson ? -0.26992 : -0.176;
        for (const auto& name : names) {
            const IndependentComponent c = independentComponent(name);
            ac_.push_back(Oa * R * R * c.Tc * c.Tc / c.Pc);
            b_.push_back(Ob * R * c.Tc / c.Pc);
            m_.push_back(m0 + m1 * c.omega + m2 * c.omega * c.omega);
            Tc_.push_back(c.Tc);
        }
        k_.assign(n_ * n_, 0.0);
        for (std::size_t i = 0; i < n_; ++i)
            for (std::size_t j = 0; j < n_; ++j) {
                const bool methane = names[i] == "CH4" || names[j] == "CH4";
                const bool co2 = names[i] == "CO2" || names[j] == "CO2";
                if (i != j && methane && co2) k_[i * n_ + j] = 0.1;
            }
    }

    static constexpr double R = 8.31434;

    // ln phi_i at T (K), P (Pa) and composition x of the liquid (smallest Z) or the vapour
    // (largest Z) root; V the root's molar volume. False where Z has no root above B.
    bool lnPhi(double T, double P, const std::vector<double>& x, bool liquid,
               std::vector<double>& out, double* V = nullptr) const {
        std::vector<double> a(n_), sumA(n_, 0.0);
        for (std::size_t i = 0; i < n_; ++i) {
            const double alpha = 1.0 + m_[i] * (1.0 - std::sqrt(T / Tc_[i]));
            a[i] = ac_[i] * alpha * alpha;
        }
        double am = 0.0, bm = 0.0;
        for (std::size_t i = 0; i < n_; ++i) {
            bm += x[i] * b_[i];
            for (std::size_t j = 0; j < n_; ++j) {
                const double aij = (1.0 - k_[i * n_ + j]) * std::sqrt(a[i] * a[j]);
                sumA[i] += x[j] * aij;
                am += x[i] * x[j] * aij;
            }
        }
        const double A = am * P / (R * R * T * T), B = bm * P / (R * T);
        const double s = e1_ + e2_, p = e1_ * e2_;
        // Z^3 + c2 Z^2 + c1 Z + c0 = 0
        const double c2 = (s - 1.0) * B - 1.0;
        const double c1 = A + p * B * B - s * B * (B + 1.0);
        const double c0 = -(A * B + p * B * B * (B + 1.0));
        std::vector<double> roots = cubicRoots(c2, c1, c0);
        roots.erase(std::remove_if(roots.begin(), roots.end(), [&](double r) { return !(r > B); }),
                    roots.end());
        if (roots.empty()) return false;
        const double Z = liquid ? *std::min_element(roots.begin(), roots.end())
                                : *std::max_element(roots.begin(), roots.end());
        const double logTerm = std::log((Z + e1_ * B) / (Z + e2_ * B));
        out.assign(n_, 0.0);
        for (std::size_t i = 0; i < n_; ++i)
            out[i] = b_[i] / bm * (Z - 1.0) - std::log(Z - B) -
                     A / (B * (e1_ - e2_)) * (2.0 * sumA[i] / am - b_[i] / bm) * logTerm;
        if (V) *V = Z * R * T / P;
        return true;
    }

    std::size_t size() const { return n_; }

   private:
    static std::vector<double> cubicRoots(double a, double b, double c) {
        const double q = (a * a - 3.0 * b) / 9.0;
        const double r = (2.0 * a * a * a - 9.0 * a * b + 27.0 * c) / 54.0;
        if (r * r < q * q * q) {
            const double t = std::acos(std::clamp(r / std::sqrt(q * q * q), -1.0, 1.0));
            const double sq = -2.0 * std::sqrt(q);
            return {sq * std::cos(t / 3.0) - a / 3.0,
                    sq * std::cos((t + 2.0 * M_PI) / 3.0) - a / 3.0,
                    sq * std::cos((t - 2.0 * M_PI) / 3.0) - a / 3.0};
        }
        const double u = -std::copysign(std::cbrt(std::fabs(r) + std::sqrt(r * r - q * q * q)), r);
        const double v = u != 0.0 ? q / u : 0.0;
        return {u + v - a / 3.0};
    }

    std::size_t n_;
    double e1_ = 0.0, e2_ = 0.0;
    std::vector<double> ac_, b_, m_, Tc_, k_;
};

// Lowest distance below the plane ln f_i/P = plane_i (RT per mole) of a trial phase, either
// root, over a grid of compositions (binary and ternary) refined by successive
// substitution from its best points.
inline double lowestBelowPlane(const IndependentCubic& eos, double T, double P,
                               const std::vector<double>& plane) {
    const std::size_t n = eos.size();
    double lowest = 0.0;
    std::vector<double> lp;
    auto distance = [&](const std::vector<double>& w, bool liquid) {
        if (!eos.lnPhi(T, P, w, liquid, lp)) return 0.0;
        double d = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            if (w[i] > 0.0) d += w[i] * (std::log(w[i]) + lp[i] - plane[i]);
        return d;
    };
    auto refine = [&](std::vector<double> w, bool liquid) {
        for (int k = 0; k < 200; ++k) {
            lowest = std::min(lowest, distance(w, liquid));
            if (!eos.lnPhi(T, P, w, liquid, lp)) return;
            double sum = 0.0;
            std::vector<double> W(n);
            for (std::size_t i = 0; i < n; ++i) sum += W[i] = std::exp(plane[i] - lp[i]);
            for (std::size_t i = 0; i < n; ++i) w[i] = W[i] / sum;
        }
    };
    const int steps = n == 2 ? 400 : 60;
    for (bool liquid : {true, false}) {
        std::vector<double> best;
        double bestD = 1e300;
        for (int i = 1; i < steps; ++i)
            for (int j = n == 2 ? steps - i : 1; j <= steps - i; ++j) {
                std::vector<double> w =
                    n == 2 ? std::vector<double>{i / double(steps), 1.0 - i / double(steps)}
                           : std::vector<double>{i / double(steps), j / double(steps),
                                                 1.0 - (i + j) / double(steps)};
                if (w.back() <= 0.0) continue;
                const double d = distance(w, liquid);
                lowest = std::min(lowest, d);
                if (d < bestD) {
                    bestD = d;
                    best = w;
                }
            }
        if (!best.empty()) refine(best, liquid);
    }
    return lowest;
}

}  // namespace vornex::testing

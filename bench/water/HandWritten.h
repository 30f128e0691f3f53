// The reference water equation written out by hand, as a program without the expression
// graph would: the residual Helmholtz energy and its derivatives to second order in closed
// form (IAPWS R6-95(2018), Table 5), the ideal-gas part (Table 4), a density solve from
// (T, P) and the state functions of the solved state. It is the floor the graph-based model
// is measured against.
#pragma once

#include <cmath>

#include "water/WagnerCoefficients.h"
#include "water/WaterEOS.h"

namespace vornex::handwritten {

// phi and its derivatives: [phi, phi_d, phi_dd, phi_t, phi_tt, phi_dt].
struct Phi {
    double v = 0, d = 0, dd = 0, t = 0, tt = 0, dt = 0;
};

inline Phi residual(double tau, double delta) {
    using namespace iapws95;
    Phi r;
    const double id = 1.0 / delta, it = 1.0 / tau;
    auto add = [&](double P, double Ld, double Ldd, double Lt, double Ltt) {
        // P_x = P Lx, P_xx = P (Lx^2 + Lxx), P_dt = P Ld Lt (separable terms).
        r.v += P;
        r.d += P * Ld;
        r.dd += P * (Ld * Ld + Ldd);
        r.t += P * Lt;
        r.tt += P * (Lt * Lt + Ltt);
        r.dt += P * Ld * Lt;
    };
    for (const auto& k : kPowerTerms) {
        const double P = k.n * std::pow(delta, k.d) * std::pow(tau, k.t);
        add(P, k.d * id, -k.d * id * id, k.t * it, -k.t * it * it);
    }
    for (const auto& k : kExponentialTerms) {
        const double dc = std::pow(delta, k.c);
        const double P = k.n * std::pow(delta, k.d) * std::pow(tau, k.t) * std::exp(-dc);
        add(P, (k.d - k.c * dc) * id, (-k.d - k.c * (k.c - 1) * dc) * id * id, k.t * it,
            -k.t * it * it);
    }
    for (const auto& k : kGaussianTerms) {
        const double a = delta - k.eps, b = tau - k.gamma;
        const double P = k.n * std::pow(delta, k.d) * std::pow(tau, k.t) *
                         std::exp(-k.alpha * a * a - k.beta * b * b);
        add(P, k.d * id - 2 * k.alpha * a, -k.d * id * id - 2 * k.alpha,
            k.t * it - 2 * k.beta * b, -k.t * it * it - 2 * k.beta);
    }
    for (const auto& k : kNonAnalyticTerms) {
        const double dm = delta - 1.0, dm2 = dm * dm, tm = tau - 1.0;
        const double psi = std::exp(-k.C * dm2 - k.D * tm * tm);
        const double psi_d = -2 * k.C * dm * psi, psi_t = -2 * k.D * tm * psi;
        const double psi_dd = (2 * k.C * dm2 - 1) * 2 * k.C * psi;
        const double psi_tt = (2 * k.D * tm * tm - 1) * 2 * k.D * psi;
        const double psi_dt = 4 * k.C * k.D * dm * tm * psi;
        const double q = std::pow(dm2, 1 / (2 * k.beta) - 1);
        const double theta = -tm + k.A * q * dm2;
        const double Delta = theta * theta + k.B * std::pow(dm2, k.a);
        const double Delta_d =
            dm * (k.A * theta * 2 / k.beta * q + 2 * k.B * k.a * std::pow(dm2, k.a - 1));
        const double Delta_dd =
            Delta_d / dm +
            dm2 * (4 * k.B * k.a * (k.a - 1) * std::pow(dm2, k.a - 2) +
                   2 * k.A * k.A / (k.beta * k.beta) * q * q +
                   k.A * theta * 4 / k.beta * (1 / (2 * k.beta) - 1) * q / dm2);
        const double Db1 = std::pow(Delta, k.b - 1), Db = Db1 * Delta, Db2 = Db1 / Delta;
        const double Db_d = k.b * Db1 * Delta_d;
        const double Db_dd = k.b * (Db1 * Delta_dd + (k.b - 1) * Db2 * Delta_d * Delta_d);
        const double Db_t = -2 * theta * k.b * Db1;
        const double Db_tt = 2 * k.b * Db1 + 4 * theta * theta * k.b * (k.b - 1) * Db2;
        const double Db_dt =
            -k.A * k.b * 2 / k.beta * Db1 * dm * q - 2 * theta * k.b * (k.b - 1) * Db2 * Delta_d;
        r.v += k.n * Db * delta * psi;
        r.d += k.n * (Db * (psi + delta * psi_d) + Db_d * delta * psi);
        r.dd += k.n * (Db * (2 * psi_d + delta * psi_dd) + 2 * Db_d * (psi + delta * psi_d) +
                       Db_dd * delta * psi);
        r.t += k.n * delta * (Db_t * psi + Db * psi_t);
        r.tt += k.n * delta * (Db_tt * psi + 2 * Db_t * psi_t + Db * psi_tt);
        r.dt += k.n * (Db * (psi_t + delta * psi_dt) + delta * Db_d * psi_t +
                       Db_t * (psi + delta * psi_d) + Db_dt * delta * psi);
    }
    return r;
}

// phi0 and its tau derivatives (Table 1 coefficients, 1995 digits of n1 and n2).
constexpr double kIdealN[9] = {0,        -8.32044648201, 6.6832105268, 3.00632, 0.012436,
                               0.97315,  1.27950,        0.96956,      0.24873};
constexpr double kIdealGamma[9] = {0,          0,          0,          0,         1.28728967,
                                   3.53734222, 7.74073708, 9.24437796, 27.5075105};

inline Phi ideal(double tau, double delta) {
    const double* n = kIdealN;
    const double* g = kIdealGamma;
    Phi r;
    r.v = std::log(delta) + n[1] + n[2] * tau + n[3] * std::log(tau);
    r.d = 1.0 / delta;
    r.dd = -1.0 / (delta * delta);
    r.t = n[2] + n[3] / tau;
    r.tt = -n[3] / (tau * tau);
    for (int i = 4; i <= 8; ++i) {
        const double e = std::exp(-g[i] * tau);
        r.v += n[i] * std::log(1 - e);
        r.t += n[i] * g[i] * (1 / (1 - e) - 1);
        r.tt -= n[i] * g[i] * g[i] * e / ((1 - e) * (1 - e));
    }
    return r;
}

// A state at (T, rho) with what the model's (T, P) state reports.
struct State {
    double T, rho, P, h, s, cv, cp, w, lnPhi;
    int iterations;
    bool ok;
};

constexpr double kR = 461.51805;  // J/(kg K)
constexpr double kRhoC = 322.0;

// The state functions from phi_r and phi0 (with ln delta) at (tau, delta).
inline void stateFunctions(State& st, double tau, double delta, const Phi& r, const Phi& o) {
    const double RT = kR * st.T;
    st.P = st.rho * RT * (1 + delta * r.d);
    st.h = RT * (1 + tau * (o.t + r.t) + delta * r.d);
    st.s = kR * (tau * (o.t + r.t) - o.v - r.v);
    st.cv = -kR * tau * tau * (o.tt + r.tt);
    const double a = 1 + delta * r.d - delta * tau * r.dt;
    const double b = 1 + 2 * delta * r.d + delta * delta * r.dd;
    st.cp = st.cv + kR * a * a / b;
    st.w = std::sqrt(kR * st.T * (b - a * a / (tau * tau * (o.tt + r.tt))));
    st.lnPhi = r.v + delta * r.d - std::log(1 + delta * r.d);
}

inline void complete(State& st) {
    const double tau = kWaterCriticalTemperature / st.T, delta = st.rho / kRhoC;
    stateFunctions(st, tau, delta, residual(tau, delta), ideal(tau, delta));
}

// Newton's method on P(rho) at st.T for st.P from rho, with phi_r_delta and
// phi_r_deltadelta from derivatives(delta, d, dd); the density into st.rho.
template <class Derivatives>
void newtonInDensity(State& st, double rho, bool liquidSide, Derivatives&& derivatives) {
    const double RT = kR * st.T, P = st.P;
    for (int i = 0; i < 60; ++i) {
        const double delta = rho / kRhoC;
        double d = 0, dd = 0;
        derivatives(delta, d, dd);
        const double p = rho * RT * (1 + delta * d);
        const double dpdrho = RT * (1 + 2 * delta * d + delta * delta * dd);
        st.iterations = i + 1;
        double step = (p - P) / dpdrho;
        if (!(dpdrho > 0)) step = liquidSide ? -0.05 * rho : 0.5 * rho;
        const double next = step >= rho ? 0.5 * rho : rho - step;
        if (std::fabs(next - rho) <= 1e-12 * rho) {
            rho = next;
            st.ok = true;
            break;
        }
        rho = next;
    }
    st.rho = rho;
}

// The start the model takes: below the critical temperature the saturated liquid (liquid
// side) or the ideal gas.
inline double startDensity(double T, double P, bool liquidSide) {
    if (liquidSide && T >= 230.0 && T < kWaterCriticalTemperature)
        return WaterEOS::saturatedLiquidDensityWagnerPruss(T);
    return P / (kR * T);
}

// Density at (T, P in Pa) by Newton's method on P(rho), then the state functions.
inline State solve(double T, double P, bool liquidSide) {
    State st{T, 0, P, 0, 0, 0, 0, 0, 0, 0, false};
    const double tau = kWaterCriticalTemperature / T;
    newtonInDensity(st, startDensity(T, P, liquidSide), liquidSide,
                    [tau](double delta, double& d, double& dd) {
                        const Phi r = residual(tau, delta);
                        d = r.d;
                        dd = r.dd;
                    });
    complete(st);
    return st;
}

// The same equation as a tuned program writes it: every power of tau and delta by
// multiplication from a few roots, one exponential per distinct exponent, the parts of
// tau computed once per temperature and the Newton steps of a density solve reading the
// two delta derivatives alone.
namespace fast {

// What depends on tau alone, for one temperature. For each term its tau factor A (times
// n) and the logarithmic derivatives of that factor, Lt and Ltt.
struct TauPart {
    double tau = 0;
    double A[56], Lt[56], Ltt[56];
    double psiTau[2], tm = 0;  // exp(-D (tau - 1)^2) of the non-analytic terms, tau - 1
    Phi ideal;                 // phi0 and its tau derivatives (delta parts added later)
};

// Everything in tau. `withIdeal` adds the ideal part (not needed by a pressure).
inline void tauPart(double tau, TauPart& p, bool withIdeal) {
    using namespace iapws95;
    p.tau = tau;
    const double it = 1.0 / tau, it2 = it * it;
    // tau^(k/8) from three square roots; whole powers to 50 by multiplication.
    const double s8 = std::sqrt(std::sqrt(std::sqrt(tau)));
    const double s2 = s8 * s8, s4 = s2 * s2;
    const double eighth[8] = {1, s8, s2, s2 * s8, s4, s4 * s8, s4 * s2, s4 * s2 * s8};
    double whole[51];
    whole[0] = 1;
    for (int k = 1; k <= 50; ++k) whole[k] = whole[k - 1] * tau;
    auto power = [&](double t) {
        const double e8 = t * 8;
        const int k = static_cast<int>(std::floor(e8));
        // t = k/8 for every term of this table (negative ones through the reciprocal).
        if (k >= 0) return whole[k / 8] * eighth[k % 8];
        return 1.0 / (whole[(-k) / 8] * eighth[(-k) % 8]);
    };
    int i = 0;
    for (const auto& k : kPowerTerms) {
        p.A[i] = k.n * power(k.t);
        p.Lt[i] = k.t * it;
        p.Ltt[i] = -k.t * it2;
        ++i;
    }
    for (const auto& k : kExponentialTerms) {
        p.A[i] = k.n * whole[static_cast<int>(k.t)];
        p.Lt[i] = k.t * it;
        p.Ltt[i] = -k.t * it2;
        ++i;
    }
    for (const auto& k : kGaussianTerms) {
        const double b = tau - k.gamma;
        p.A[i] = k.n * whole[k.t] * std::exp(-k.beta * b * b);
        p.Lt[i] = k.t * it - 2 * k.beta * b;
        p.Ltt[i] = -k.t * it2 - 2 * k.beta;
        ++i;
    }
    p.tm = tau - 1.0;
    for (int j = 0; j < 2; ++j) p.psiTau[j] = std::exp(-kNonAnalyticTerms[j].D * p.tm * p.tm);
    if (!withIdeal) return;
    const double* n = kIdealN;
    const double* g = kIdealGamma;
    Phi& o = p.ideal;
    o = Phi{};
    o.v = n[1] + n[2] * tau + n[3] * std::log(tau);
    o.t = n[2] + n[3] * it;
    o.tt = -n[3] * it2;
    for (int j = 4; j <= 8; ++j) {
        const double e = std::exp(-g[j] * tau), one = 1 - e;
        o.v += n[j] * std::log(one);
        o.t += n[j] * g[j] * (1 / one - 1);
        o.tt -= n[j] * g[j] * g[j] * e / (one * one);
    }
}

// The delta factors of terms 1-54: G, dG/ddelta / G and d2G/ddelta2 / G as Ld, Ldd + Ld^2.
struct DeltaPart {
    double G[54], Ld[54], Ldd[54];
};

inline void deltaPart(double delta, DeltaPart& q) {
    using namespace iapws95;
    const double id = 1.0 / delta, id2 = id * id;
    double dp[16];
    dp[0] = 1;
    for (int k = 1; k <= 15; ++k) dp[k] = dp[k - 1] * delta;
    double ex[7];  // exp(-delta^c) for c = 1, 2, 3, 4, 6
    for (int c : {1, 2, 3, 4, 6}) ex[c] = std::exp(-dp[c]);
    int i = 0;
    for (const auto& k : kPowerTerms) {
        q.G[i] = dp[k.d];
        q.Ld[i] = k.d * id;
        q.Ldd[i] = -k.d * id2;
        ++i;
    }
    for (const auto& k : kExponentialTerms) {
        const double dc = dp[k.c];
        q.G[i] = dp[k.d] * ex[k.c];
        q.Ld[i] = (k.d - k.c * dc) * id;
        q.Ldd[i] = (-k.d - k.c * (k.c - 1) * dc) * id2;
        ++i;
    }
    const double a = delta - 1.0;  // eps = 1, alpha = 20 for all three
    const double ga = std::exp(-kGaussianTerms[0].alpha * a * a);
    for (const auto& k : kGaussianTerms) {
        q.G[i] = dp[k.d] * ga;
        q.Ld[i] = k.d * id - 2 * k.alpha * a;
        q.Ldd[i] = -k.d * id2 - 2 * k.alpha;
        ++i;
    }
}

// The two non-analytic terms, sharing theta and Delta: one logarithm of (delta - 1)^2
// and one of Delta, an exponential for each power, none where psi underflows.
inline void nonAnalytic(const TauPart& tp, double delta, bool withTau, Phi& r) {
    using namespace iapws95;
    const double dm = delta - 1.0, dm2 = dm * dm, tm = tp.tm;
    const auto& k0 = kNonAnalyticTerms[0];  // a, B, A, beta shared by both terms
    if (dm2 == 0.0) return;                 // callers keep off the critical density
    const double lnDm2 = std::log(dm2);
    const double e = 1 / (2 * k0.beta) - 1;
    const double q = std::exp(e * lnDm2);
    const double dm2a = dm2 * dm2 * dm2 * std::sqrt(dm2);  // a = 3.5
    const double theta = -tm + k0.A * q * dm2;
    const double Delta = theta * theta + k0.B * dm2a;
    const double Delta_d = dm * (k0.A * theta * 2 / k0.beta * q + 2 * k0.B * k0.a * dm2a / dm2);
    const double Delta_dd =
        Delta_d / dm + dm2 * (4 * k0.B * k0.a * (k0.a - 1) * dm2a / (dm2 * dm2) +
                              2 * k0.A * k0.A / (k0.beta * k0.beta) * q * q +
                              k0.A * theta * 4 / k0.beta * e * q / dm2);
    const double lnDelta = std::log(Delta), iDelta = 1 / Delta;
    for (int j = 0; j < 2; ++j) {
        const auto& k = kNonAnalyticTerms[j];
        const double x = -k.C * dm2;
        if (x - k.D * tm * tm < -140) continue;  // psi below 1e-60: nothing to add
        const double psi = std::exp(x) * tp.psiTau[j];
        const double psi_d = -2 * k.C * dm * psi, psi_t = -2 * k.D * tm * psi;
        const double psi_dd = (2 * k.C * dm2 - 1) * 2 * k.C * psi;
        const double Db1 = std::exp((k.b - 1) * lnDelta), Db = Db1 * Delta, Db2 = Db1 * iDelta;
        const double Db_d = k.b * Db1 * Delta_d;
        const double Db_dd = k.b * (Db1 * Delta_dd + (k.b - 1) * Db2 * Delta_d * Delta_d);
        r.d += k.n * (Db * (psi + delta * psi_d) + Db_d * delta * psi);
        r.dd += k.n * (Db * (2 * psi_d + delta * psi_dd) + 2 * Db_d * (psi + delta * psi_d) +
                       Db_dd * delta * psi);
        if (!withTau) continue;
        const double psi_tt = (2 * k.D * tm * tm - 1) * 2 * k.D * psi;
        const double psi_dt = 4 * k.C * k.D * dm * tm * psi;
        const double Db_t = -2 * theta * k.b * Db1;
        const double Db_tt = 2 * k.b * Db1 + 4 * theta * theta * k.b * (k.b - 1) * Db2;
        const double Db_dt =
            -k.A * k.b * 2 / k.beta * Db1 * dm * q - 2 * theta * k.b * (k.b - 1) * Db2 * Delta_d;
        r.v += k.n * Db * delta * psi;
        r.t += k.n * delta * (Db_t * psi + Db * psi_t);
        r.tt += k.n * delta * (Db_tt * psi + 2 * Db_t * psi_t + Db * psi_tt);
        r.dt += k.n * (Db * (psi_t + delta * psi_dt) + delta * Db_d * psi_t +
                       Db_t * (psi + delta * psi_d) + Db_dt * delta * psi);
    }
}

// phi_r_delta and phi_r_deltadelta alone: what a Newton step in density reads.
inline void deltaDerivatives(const TauPart& tp, double delta, double& d, double& dd) {
    DeltaPart q;
    deltaPart(delta, q);
    Phi r;
    for (int i = 0; i < 54; ++i) {
        const double P = tp.A[i] * q.G[i];
        r.d += P * q.Ld[i];
        r.dd += P * (q.Ld[i] * q.Ld[i] + q.Ldd[i]);
    }
    nonAnalytic(tp, delta, false, r);
    d = r.d;
    dd = r.dd;
}

// phi_r_delta alone: the pressure.
inline double deltaDerivative(const TauPart& tp, double delta) {
    DeltaPart q;
    deltaPart(delta, q);
    double d = 0;
    for (int i = 0; i < 54; ++i) d += tp.A[i] * q.G[i] * q.Ld[i];
    Phi r;
    nonAnalytic(tp, delta, false, r);
    return d + r.d;
}

// phi_r and all its derivatives to second order.
inline Phi residual(const TauPart& tp, double delta) {
    DeltaPart q;
    deltaPart(delta, q);
    Phi r;
    for (int i = 0; i < 54; ++i) {
        const double P = tp.A[i] * q.G[i], Ld = q.Ld[i], Lt = tp.Lt[i];
        r.v += P;
        r.d += P * Ld;
        r.dd += P * (Ld * Ld + q.Ldd[i]);
        r.t += P * Lt;
        r.tt += P * (Lt * Lt + tp.Ltt[i]);
        r.dt += P * Ld * Lt;
    }
    nonAnalytic(tp, delta, true, r);
    return r;
}

// P (Pa) at (T, rho).
inline double pressure(double T, double rho) {
    TauPart tp;
    tauPart(kWaterCriticalTemperature / T, tp, false);
    const double delta = rho / kRhoC;
    return rho * kR * T * (1 + delta * deltaDerivative(tp, delta));
}

// The state functions of (T, rho) from the parts of tau already at hand.
inline void complete(const TauPart& tp, State& st) {
    const double delta = st.rho / kRhoC;
    Phi o = tp.ideal;
    o.v += std::log(delta);
    stateFunctions(st, tp.tau, delta, residual(tp, delta), o);
}

// Density at (T, P in Pa) by Newton steps in density from the same start as solve() above,
// then the state functions.
inline State solve(double T, double P, bool liquidSide) {
    State st{T, 0, P, 0, 0, 0, 0, 0, 0, 0, false};
    TauPart tp;
    tauPart(kWaterCriticalTemperature / T, tp, true);
    newtonInDensity(st, startDensity(T, P, liquidSide), liquidSide,
                    [&tp](double delta, double& d, double& dd) {
                        deltaDerivatives(tp, delta, d, dd);
                    });
    complete(tp, st);
    return st;
}

}  // namespace fast

}  // namespace vornex::handwritten

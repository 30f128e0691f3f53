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
inline Phi ideal(double tau, double delta) {
    static constexpr double n[9] = {0,         -8.32044648201, 6.6832105268, 3.00632,
                                    0.012436,  0.97315,        1.27950,      0.96956,
                                    0.24873};
    static constexpr double g[9] = {0, 0, 0, 0, 1.28728967, 3.53734222, 7.74073708, 9.24437796,
                                    27.5075105};
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

inline void complete(State& st) {
    const double tau = kWaterCriticalTemperature / st.T, delta = st.rho / kRhoC;
    const Phi r = residual(tau, delta), o = ideal(tau, delta);
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

// Density at (T, P in Pa) by Newton's method on P(rho), from the start the model takes:
// below the critical temperature the saturated liquid (liquid side) or the ideal gas.
inline State solve(double T, double P, bool liquidSide) {
    State st{T, 0, P, 0, 0, 0, 0, 0, 0, 0, false};
    const double RT = kR * T, tau = kWaterCriticalTemperature / T;
    double rho = P / RT;
    if (liquidSide && T >= 230.0 && T < kWaterCriticalTemperature)
        rho = WaterEOS::saturatedLiquidDensityWagnerPruss(T);
    for (int i = 0; i < 60; ++i) {
        const double delta = rho / kRhoC;
        const Phi r = residual(tau, delta);
        const double p = rho * RT * (1 + delta * r.d);
        const double dpdrho = RT * (1 + 2 * delta * r.d + delta * delta * r.dd);
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
    complete(st);
    return st;
}

}  // namespace vornex::handwritten

#include "cubic/ClassicalCubic.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <utility>

#include "numerics/Solver.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
}  // namespace

ClassicalCubic::ClassicalCubic(const CubicFamily& family, int selector) : CubicBase(selector) {
    d1 = family.d1;
    d2 = family.d2;
    OmegaA = family.OmegaA;
    OmegaB = family.OmegaB;
    Zc = family.Zc;
}

ClassicalCubic::~ClassicalCubic() = default;

void ClassicalCubic::number_of_components(int n) {
    if (!resizesTo(n)) return;
    CubicBase::number_of_components(n);
    const auto nn = static_cast<size_t>(n) * static_cast<size_t>(n);
    for (auto* m : {&aij, &bij, &aOverBij, &daijdT, &daijdTOverB, &d2aijdT2, &d2aOverBdx2})
        m->assign(nn, 0.0);
    for (auto* v : {&abar, &bbar, &dabar, &daOverBdx, &ddaOverBdxdT, &ci, &c0, &c1,
                    &translatedVolumeX})
        v->assign(static_cast<size_t>(n), 0.0);
}

const ClassicRow* ClassicalCubic::takeClassicRow(int i, const char* name) {
    const auto u = static_cast<size_t>(i);
    const ClassicRow* row = findClassicRow(name);
    componentReady[u] = row != nullptr;
    if (row == nullptr) {
        vornex::cfprintf(stderr, "%s: component %s is not in the table; nothing will be computed\n",
                     modelName.c_str(), name ? name : "(null)");
        error = 1;
        return nullptr;
    }
    molarMass[u] = row->M;
    set_translation(i, 0.0, 0.0);
    return row;
}

// ------------------------------------------------------------------ parameters

void ClassicalCubic::setPureComponent(int i, double ac, double m, double Tc, double bi, double F,
                                      double dF, double d2F, double kaii, double kbii) {
    const auto n = static_cast<size_t>(nc);
    const auto u = static_cast<size_t>(i);
    const size_t ii = u * n + u;
    const double rt = std::sqrt(T * Tc);
    const double s = 1.0 + m * (1.0 - std::sqrt(T / Tc));
    const double ds = -0.5 * m / rt;              // ds/dT
    const double d2s = 0.25 * m / (T * rt);       // d2s/dT2
    const double K = (1.0 - kaii) * ac;
    aij[ii] = K * s * s * F;
    daijdT[ii] = K * (2.0 * s * ds * F + s * s * dF);
    d2aijdT2[ii] = K * (2.0 * (ds * ds + s * d2s) * F + 4.0 * s * ds * dF + s * s * d2F);
    bij[ii] = (1.0 - kbii) * bi;
    aOverBij[ii] = aij[ii] / bij[ii];
    daijdTOverB[ii] = daijdT[ii] / bij[ii];
    ci[u] = c0[u] + c1[u] * T;
}

void ClassicalCubic::combinePairs(const std::vector<double>& ka, const std::vector<double>& kb) {
    const auto n = static_cast<size_t>(nc);
    // a'/a of a component, 0 where a vanishes (the one temperature where s = 0).
    auto logSlope = [&](size_t k) {
        const double akk = aij[k * n + k];
        return akk != 0.0 ? daijdT[k * n + k] / akk : 0.0;
    };
    auto logCurvature = [&](size_t k) {
        const double akk = aij[k * n + k], dk = daijdT[k * n + k];
        return akk != 0.0 ? (d2aijdT2[k * n + k] - dk * dk / akk) / akk : 0.0;
    };
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j) {
            const size_t ij = i * n + j, ji = j * n + i;
            const double aIJ = (1.0 - ka[ij]) * std::sqrt(aij[i * n + i] * aij[j * n + j]);
            const double slopes = logSlope(i) + logSlope(j);
            const double daIJ = 0.5 * aIJ * slopes;
            const double d2aIJ = 0.5 * daIJ * slopes + 0.5 * aIJ * (logCurvature(i) + logCurvature(j));
            const double bIJ = 0.5 * (bij[i * n + i] + bij[j * n + j]) * (1.0 - kb[ij]);
            for (size_t k : {ij, ji}) {
                aij[k] = aIJ;
                daijdT[k] = daIJ;
                d2aijdT2[k] = d2aIJ;
                bij[k] = bIJ;
                aOverBij[k] = aIJ / bIJ;
                daijdTOverB[k] = daIJ / bIJ;
            }
        }
}

void ClassicalCubic::quadraticMixing() {
    const auto n = static_cast<size_t>(nc);
    a = b = dadT = d2adT2 = c = dcdT = 0.0;
    for (size_t i = 0; i < n; ++i) {
        abar[i] = bbar[i] = dabar[i] = 0.0;
        for (size_t j = 0; j < n; ++j) {
            const size_t ij = i * n + j;
            abar[i] += 2.0 * x[j] * aij[ij];
            bbar[i] += 2.0 * x[j] * bij[ij];
            dabar[i] += 2.0 * x[j] * daijdT[ij];
            d2adT2 += x[i] * x[j] * d2aijdT2[ij];
        }
        a += 0.5 * x[i] * abar[i];
        b += 0.5 * x[i] * bbar[i];
        dadT += 0.5 * x[i] * dabar[i];
        c += x[i] * ci[i];
        dcdT += x[i] * c1[i];
    }
    aOverB = a / b;
    dadTOverB = dadT / b;
    for (size_t i = 0; i < n; ++i) {
        daOverBdx[i] = (abar[i] - aOverB * bbar[i]) / b;
        ddaOverBdxdT[i] = (dabar[i] - dadTOverB * bbar[i]) / b;
        for (size_t j = 0; j < n; ++j)
            d2aOverBdx2[i * n + j] =
                (2.0 * aij[i * n + j] -
                 (bbar[j] * abar[i] + bbar[i] * abar[j] + 2.0 * a * bij[i * n + j]) / b +
                 2.0 * a * bbar[i] * bbar[j] / (b * b)) /
                b;
    }
}

void ClassicalCubic::printPairs(FILE* out, const std::vector<double>& ka,
                                const std::vector<double>& kb) {
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    const auto n = static_cast<size_t>(nc);
    for (size_t i = 0; i < n; ++i) {
        vornex::cfprintf(out, "(i=%d) bi %lg ai %lg\n", static_cast<int>(i), bij[i * n + i],
                     aij[i * n + i]);
        for (size_t j = 0; j <= i; ++j)
            vornex::cfprintf(out, "(i=%d,j=%d) aij %lg  bpa %lg  bij %lg bpb %lg\n",
                         static_cast<int>(i), static_cast<int>(j), aij[i * n + j], ka[i * n + j],
                         bij[i * n + j], kb[i * n + j]);
    }
    vornex::cfprintf(out, "a %lg  b %lg\n\n", a, b);
}

// ------------------------------------------------------------------ the cubic

ClassicalCubic::CubicAt ClassicalCubic::cubicAt(double Vtr) const {
    CubicAt k{};
    k.u1 = Vtr - d1 * b;
    k.u2 = Vtr - d2 * b;
    k.w = Vtr - b;
    k.D = k.u1 * k.u2;
    const double RT = R * T, aD = a / k.D;
    k.P = RT / k.w - aD;
    k.dPdT = R / k.w - dadT / k.D;
    k.dPdV = -RT / (k.w * k.w) + aD * (1.0 / k.u1 + 1.0 / k.u2);
    k.dPdb = RT / (k.w * k.w) - aD * (d1 / k.u1 + d2 / k.u2);
    k.L = std::log(k.u1 / k.u2) / (d1 - d2);
    k.LV = (1.0 / k.u1 - 1.0 / k.u2) / (d1 - d2);
    k.Lb = -(d1 / k.u1 - d2 / k.u2) / (d1 - d2);
    return k;
}

void ClassicalCubic::storeVolumeDerivatives(const CubicAt& k) {
    const double RT = R * T;
    // At constant V the translated volume moves with c: dV'/dT = dc/dT.
    dPdT = k.dPdT + k.dPdV * dcdT;
    dPdV = k.dPdV;
    dVtdT = -k.dPdT / k.dPdV;
    dVtdP = 1.0 / k.dPdV;
    dVdT = dVtdT - dcdT;
    dVdP = dVtdP;
    Z = P * V / RT;
    dZdV = (P + V * dPdV) / RT;
    dZdP = dZdV / dPdV;
    // Z = P V/(R T): at constant V, dZ/dT = (V/(R T)) (dP/dT - P/T), dZ/dx_i = V dP/dx_i/(R T).
    dZdT = V * (dPdT - P / T) / RT;
    const bool withZx = dZdx.size() >= static_cast<size_t>(nc);
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        // At constant V the translated volume moves with c: dV'/dx_i = c_i.
        const double dPdxAtVt = -abar[u] / k.D + k.dPdb * bbar[u];
        translatedVolumeX[u] = -dPdxAtVt / k.dPdV;
        dPdx[u] = dPdxAtVt + k.dPdV * ci[u];
        dVdx[u] = translatedVolumeX[u] - ci[u];
        if (withZx) dZdx[u] = V * dPdx[u] / RT;
    }
    amountDerivativesFromMoleFractions();
}

bool ClassicalCubic::currentShape(CubicShape& shape) const {
    shape = {a, b, d1, d2, c};
    return true;
}

bool ClassicalCubic::pressureAndSlopeAt(double Vm3, double& Pcalc) {
    return isothermPoint(Vm3, Pcalc, [this](double v, std::pair<double, double>& at) {
        if (!(v + c > b)) return false;
        const CubicAt k = cubicAt(v + c);
        at = {k.P, k.dPdV};
        return true;
    });
}

double ClassicalCubic::calculate_pressure() {
    pressureAtVolume();
    return P;
}

void ClassicalCubic::calculate_temperature() {
    // The fluid holds no Helmholtz terms: the framework's solve on their Z cannot serve.
    const double target = P, Vset = V;
    double TK = T > 0.0 && std::isfinite(T) ? T : 300.0;
    for (int it = 0; it < 100; ++it) {
        temperature(TK);
        volume(Vset);
        if (!pressureAtVolume() || !(dPdT != 0.0) || !std::isfinite(dPdT)) break;
        const double step = (P - target) / dPdT;
        if (!std::isfinite(step)) break;
        const double next = TK - step > 0.0 ? TK - step : 0.5 * TK;
        if (std::fabs(next - TK) <= 1e-10 * TK) {
            P = target;
            error = 0;
            return;
        }
        TK = next;
    }
    P = target;
    error = 1;
}

bool ClassicalCubic::pressureAtVolume() {
    // Each evaluation at a state raises the flag for itself.
    error = 0;
    if (!prepareStateAtVolume()) return false;
    Vt = V + c;
    if (!aboveCovolume(Vt, b)) return false;
    const CubicAt k = cubicAt(Vt);
    const bool solvedAtP =
        T == root_.T && a == root_.a && b == root_.b && Vt == root_.Vt && root_.P > 0.0;
    P = solvedAtP ? root_.P : k.P;
    storeVolumeDerivatives(k);
    return true;
}

bool ClassicalCubic::resolve_cubic_equation_in_Z() {
    const double RT = R * T;
    const double A = P * a / (RT * RT), B = P * b / RT;
    double g[4] = {-d1 * d2 * B * B * (1.0 + B) - A * B,
                   (d1 * d2 + d1 + d2) * B * B + (d1 + d2) * B + A, -1.0 - (d1 + d2 + 1.0) * B,
                   1.0};
    const std::vector<double> kept = rootsAbove(g, B);
    rootSide = 0;
    double Zt = 0.0;
    if (!takeRoot(kept, Zt)) return false;
    // The side is reported, never written into the selector: the next solve on this fluid
    // must take the root its caller asked for, whatever this one found.
    rootSide = phase;
    if (kept.size() == 1) {
        // Where the pseudo-critical volume is mechanically unstable (below the pseudo-critical
        // temperature) the one root is liquid or vapour by which side of that volume it
        // falls on.
        Vpc = Zc * b / OmegaB;
        const double slope = cubicAt(Vpc).dPdV;
        if (!(slope <= 0.0)) rootSide = Vpc >= Zt * RT / P ? 2 : 1;
    }
    Vt = Zt * RT / P;
    Vt = polishedVolume(Vt, P, b, [this](double v) {
        const CubicAt k = cubicAt(v);
        return std::pair<double, double>{k.P, k.dPdV};
    });
    FluidPhase::volume(Vt - c);
    root_ = {T, a, b, Vt, P};
    storeVolumeDerivatives(cubicAt(Vt));
    return true;
}

void ClassicalCubic::calculate_molar_volume() {
    rootSide = 0;
    if (prepareVolumeSearch() && resolve_cubic_equation_in_Z()) calculateBulkMolarWeight();
}

// ------------------------------------------------------------------ fugacities

void ClassicalCubic::calculate_fugacities() {
    if (!pressureAtVolume()) return;
    const auto n = static_cast<size_t>(nc);
    const double RT = R * T;
    const CubicAt k = cubicAt(Vt);
    const double Zt = P * Vt / RT;
    // Excess Gibbs energy of the mixing of a/b; with it the attraction factor
    // alpha_i = (a/b + d(a/b)/dx_i)/RT, in which Lambda cancels.
    double sumAB = 0.0, sumdAB = 0.0, sumG = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sumAB += x[i] * aOverBij[i * n + i];
        sumdAB += x[i] * daijdTOverB[i * n + i];
        sumG += x[i] * Lambda * (aOverBij[i * n + i] - daOverBdx[i]) / RT;
    }
    excessG = Lambda * (sumAB - aOverB) / RT;
    dexcessGdT = Lambda * (sumdAB - dadTOverB) / RT - excessG / T;
    std::vector<double> lnPhiT(n), lnPhiP(n);
    for (size_t i = 0; i < n; ++i) {
        const double gi = Lambda * (aOverBij[i * n + i] - daOverBdx[i]) / RT;
        const double lnGamma = excessG + gi - sumG;
        const double alpha = aOverBij[i * n + i] / RT - lnGamma / Lambda;
        const double dalphadT = (dadTOverB + ddaOverBdxdT[i]) / RT - alpha / T;
        const double beta = bbar[i] / b - 1.0;
        lnPhi[i] = beta * (Zt - 1.0) - std::log(P * k.w / RT) + alpha * k.L - ci[i] * P / RT;
        const double byVt = -1.0 / k.w + beta * P / RT + alpha * k.LV;
        const double byB = -bbar[i] * (Zt - 1.0) / (b * b) + 1.0 / k.w + alpha * k.Lb;
        const double explicitT = -beta * Zt / T + 1.0 / T + dalphadT * k.L -
                                 c1[i] * P / RT + ci[i] * P / (RT * T);
        const double explicitP = beta * Vt / RT - 1.0 / P - ci[i] / RT;
        lnPhiT[i] = byVt * dVtdT + explicitT;
        lnPhiP[i] = byVt * dVtdP + explicitP;
        const double phi = std::exp(lnPhi[i]);
        fugacityCoefficient[i] = phi;
        fugacity[i] = x[i] * P * phi;
        lnFugacity[i] = std::log(x[i] * P) + lnPhi[i];
        dlnfdT[i] = lnPhiT[i];
        dlnfdP[i] = 1.0 / P + lnPhiP[i];
        dfdT[i] = fugacity[i] * dlnfdT[i];
        dfdP[i] = fugacity[i] * dlnfdP[i];
        dfdV[i] = dfdP[i] * dPdV;
        dphidT[i] = phi * (lnPhiT[i] + lnPhiP[i] * dPdT);
        dphidP[i] = phi * lnPhiP[i];
        dphidV[i] = dphidP[i] * dPdV;
        for (size_t j = 0; j < n; ++j) {
            const double byX =
                byVt * translatedVolumeX[j] + byB * bbar[j] +
                2.0 * bij[i * n + j] * (Zt - 1.0) / b +
                k.L * (daOverBdx[j] + d2aOverBdx2[i * n + j]) / RT;
            dlnfdx[i][j] = byX + (i == j ? 1.0 / x[i] : 0.0);
            dfdx[i][j] = fugacity[i] * byX + (i == j ? P * phi : 0.0);
            dphidx[i][j] = phi * (byX + lnPhiP[i] * dPdx[j]);
        }
    }
}

// ------------------------------------------------------------ state functions

double ClassicalCubic::calculate_state_functions() {
    // Evaluated afresh at the current T and V, so that they always belong to this state.
    if (!pressureAtVolume()) return P;
    const auto n = static_cast<size_t>(nc);
    const double RT = R * T;
    const CubicAt k = cubicAt(Vt);
    const double K = (a - T * dadT) / b;  // the temperature-weighted attraction
    Hres = P * Vt - RT + K * k.L - (c - T * dcdT) * P;
    Sres = R * std::log(P * k.w / RT) - dadTOverB * k.L + P * dcdT;
    Gres = Hres - T * Sres;
    Ares = Gres - (P * V - RT);
    dHdP = Vt + P * dVtdP + K * k.LV * dVtdP - (c - T * dcdT);
    CpResidual = P * dVtdT - R - T * d2adT2 / b * k.L + K * k.LV * dVtdT;
    std::vector<double> dHdx(n);
    double xdHdx = 0.0;
    for (size_t i = 0; i < n; ++i) {
        dHdx[i] = P * translatedVolumeX[i] +
                  ((abar[i] - T * dabar[i]) - bbar[i] * K) * k.L / b +
                  (k.LV * translatedVolumeX[i] + k.Lb * bbar[i]) * K - P * (ci[i] - T * c1[i]);
        xdHdx += x[i] * dHdx[i];
    }
    for (size_t i = 0; i < n; ++i) partialMolarEnthalpy[i] = Hres + dHdx[i] - xdHdx;
    H = Hres;
    S = Sres;
    G = Gres;
    A = Ares;
    U = Hres - (P * V - RT);
    // Cp - Cv = -T (dP/dT)^2 / (dP/dV) for the fluid, R for the ideal gas.
    CvResidual = CpResidual + R + T * dPdT * dPdT / dPdV;
    // Residual functions only: no heat capacity of the ideal gas, hence no heat capacity of
    // the fluid, no Joule-Thomson coefficient and no sound speed.
    Cv = Cp = jouleThomson = soundSpeed = std::numeric_limits<double>::quiet_NaN();
    rho = M / V;
    return P;
}

// ------------------------------------------------------- pseudo-critical point

double ClassicalCubic::equationForPseudoCriticalPoint(double TK, void*) {
    return parametersAt(TK) ? a / (b * TK) - R * OmegaA / OmegaB : 0.0;
}

void ClassicalCubic::calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) {
    Secant s;
    s.equation = this;
    s.function = static_cast<EquationFunction>(&ClassicalCubic::equationForPseudoCriticalPoint);
    s.x0 = 100.0;
    s.x1 = 150.0;
    s.tolerance = 1e-3;
    s.itermax = 20;
    searchPseudoCriticalPoint(
        s, Tc, Pc, Vc, [this](double T, double& P, double& V) { criticalValuesAt(T, P, V); });
}

void ClassicalCubic::criticalValuesAt(double Tc, double& Pc, double& Vc) {
    Tpc = Tc;
    Vpc = Vc = Zc * b / OmegaB;
    Ppc = Pc = R * OmegaB * Tc / b;
}

// ------------------------------------------------------------------ set-up

void ClassicalCubic::set_translation(int i, double c0i, double c1i) {
    if (!validComponent(i, "set_translation")) return;
    c0[static_cast<size_t>(i)] = c0i;
    c1[static_cast<size_t>(i)] = c1i;
}

void ClassicalCubic::set_translation_parameters(double c0First, double c1First, ...) {
    if (nc < 1) return;
    va_list args;
    va_start(args, c1First);
    set_translation(0, c0First, c1First);
    for (int i = 1; i < nc; ++i) {
        const double c0i = va_arg(args, double);
        const double c1i = va_arg(args, double);
        set_translation(i, c0i, c1i);
    }
    va_end(args);
}

void ClassicalCubic::test(int k) {
    if (k == 1 && nc == 0) {
        vornex::cprintf("Calculation of molar volumes for CO2-CH4 mixtures with %s\n",
                    modelName.c_str());
        set_the_phase_as(2);
        number_of_components(2);
        add_component("CO2");
        add_component("CH4");
        temperature(273.15);
        composition(0.99, 0.01);
        pressure(100.0);
        calculate_molar_volume();
        print(stdout);
    }
    if (nc != 2) {
        vornex::cprintf("The check needs a two-component fluid (this one has %d)\n", nc);
        return;
    }
    set_the_phase_as(1);
    composition(0.01, 0.99);
    pressure(100.0);
    calculate_molar_volume();
    print(stdout);
}

}  // namespace vornex

#include "cubic/HCubic.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
}  // namespace

// ------------------------------------------------------------------------ HCubic

HCubic::HCubic(int selector) : CubicBase(selector) {
    setModelName("HCubic");
    OmegaA = kSrkOmegaA;
    OmegaB = kSrkOmegaB;
    // Unbounded secant, relaxation 1 down to 0.01 (the record's defaults).
    criticalSolver.equation = this;
    criticalSolver.function = static_cast<EquationFunction>(&HCubic::equation);
    criticalSolver.itermax = 15;
    criticalSolver.tolerance = 1e-9;
}

HCubic::~HCubic() = default;

void HCubic::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    CubicBase::number_of_components(n);
    for (auto* v :
         {&m, &Tc, &Pc, &omega, &ac, &bc, &cc, &a, &b, &c, &Ai, &Bi, &Ci, &Abar, &abarDim})
        v->assign(static_cast<size_t>(n), 0.0);
}

void HCubic::deriveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    m[u] = m0 + m1 * omega[u] + m2 * omega[u] * omega[u];
    ac[u] = OmegaA * R * R * Tc[u] * Tc[u] / Pc[u];
    bc[u] = OmegaB * R * Tc[u] / Pc[u];
    cc[u] = OmegaC * R * Tc[u] / Pc[u];
}

double HCubic::omegaBOf(double zeta) {
    double coefficients[4] = {-zeta * zeta * zeta, 3.0 * zeta * zeta, 2.0 - 3.0 * zeta, 1.0};
    double roots[3];
    int count = 0;
    degree3(coefficients, count, roots);
    double smallest = roots[0];
    if (count == 3) {
        // Negative roots are no covolume factors.
        for (int r = 0; r < 3; ++r)
            if (roots[r] < 0.0) roots[r] = 10.0;
        smallest = std::min({roots[0], roots[1], roots[2]});
    }
    OmegaC = 1.0 - 3.0 * zeta;
    return smallest;
}

void HCubic::calculate_parameters_of_pure_components() {
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double s = 1.0 + m[u] * (1.0 - std::sqrt(T / Tc[u]));
        a[u] = s * s * ac[u];
        b[u] = bc[u];
        c[u] = cc[u];
    }
}

void HCubic::calculate_mixing_parameters() {
    const auto n = static_cast<size_t>(nc);
    amix = bmix = cmix = 0.0;
    for (size_t i = 0; i < n; ++i) {
        abarDim[i] = 0.0;
        for (size_t j = 0; j < n; ++j)
            abarDim[i] += x[j] * (1.0 - kaij[i * n + j]) * std::sqrt(a[i] * a[j]);
        amix += x[i] * abarDim[i];
        bmix += x[i] * b[i];
        cmix += x[i] * c[i];
    }
    scaleMixture();
}

void HCubic::scaleMixture() {
    const double RT = R * T;
    A = amix * P / (RT * RT);
    B = bmix * P / RT;
    C = cmix * P / RT;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        Abar[u] = abarDim[u] * P / (RT * RT);
        Ai[u] = a[u] * P / (RT * RT);
        Bi[u] = b[u] * P / RT;
        Ci[u] = c[u] * P / RT;
    }
}

void HCubic::read_BIP() {
    applyClassicKaij();
}

void HCubic::set_binary_interaction_a_parameters(double k01, ...) {
    if (nc < 2) return;
    va_list args;
    va_start(args, k01);
    bool first = true;
    for (int i = 0; i < nc; ++i)
        for (int j = i + 1; j < nc; ++j) {
            const double k = first ? k01 : va_arg(args, double);
            first = false;
            set_binary_interaction_kaij(i, j, k);
        }
    va_end(args);
}

double HCubic::calculate_pressure() {
    pressureAtVolume();
    return P;
}

bool HCubic::pressureAtVolume() {
    // Each evaluation at a state raises the flag for itself.
    error = 0;
    if (!prepareStateAtVolume() || !aboveCovolume(V, bmix)) return false;
    P = R * T / (V - bmix) - amix / (V * V + (bmix + cmix) * V - bmix * cmix);
    Z = P * V / (R * T);
    scaleMixture();  // A, B, C at the new pressure
    return true;
}

bool HCubic::resolve_cubic_equation_in_Z() {
    double g[4] = {(B * C + C - A) * B, A - 2.0 * B * C - B - C - B * B, C - 1.0, 1.0};
    double Zroot = 0.0;
    if (!takeRoot(rootsAbove(g, B), Zroot)) return false;
    Z = Zroot;
    volume(Z * R * T / P);
    return true;
}

void HCubic::calculate_molar_volume() {
    if (!prepareVolumeSearch() || !resolve_cubic_equation_in_Z()) return;
    calculateBulkMolarWeight();
    calculate_fugacities();
}

double HCubic::attractionShare(int i) const {
    return 2.0 * abarDim[static_cast<size_t>(i)] / amix;
}

void HCubic::calculate_fugacities() {
    if (!pressureAtVolume()) return;
    const double D = std::sqrt(B * B + 6.0 * B * C + C * C);
    const double L = std::log((2.0 * Z + B + C + D) / (2.0 * Z + B + C - D));
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double delta = ((3.0 * C + B) * Bi[u] + (C + 3.0 * B) * Ci[u]) / (D * D);
        const double q = attractionShare(i);
        lnPhi[u] = -std::log(Z - B) - (q - delta) * (A / D) * L + Bi[u] / (Z - B) +
                   (1.0 / (Z - B) - 1.0) * (0.5 * (Bi[u] + Ci[u] - (B + C) * delta) - delta * Z);
        fugacityCoefficient[u] = std::exp(lnPhi[u]);
        fugacity[u] = x[u] * P * fugacityCoefficient[u];
        lnFugacity[u] = std::log(x[u] * P) + lnPhi[u];
    }
}

double HCubic::equation(double TK, void*) {
    return parametersAt(TK) ? amix / (bmix * R * TK) - OmegaA / OmegaB : 0.0;
}

void HCubic::calculate_the_pseudo_critical_point(double& Tcrit, double& Pcrit, double& Vcrit) {
    criticalSolver.x0 = 100.0;
    criticalSolver.x1 = 150.0;
    searchPseudoCriticalPoint(criticalSolver, Tcrit, Pcrit, Vcrit);
}

void HCubic::criticalValuesAt(double Tcrit, double& Pcrit, double& Vcrit) {
    // The covolume and translation at the pseudo-critical temperature itself (the Heyen b
    // depends on T); the compressibility follows from them, not from the pressure the
    // fluid happens to hold.
    const double zc = (1.0 - cmix * OmegaB / bmix) / 3.0;
    Vcrit = zc * bmix / OmegaB;
    Pcrit = zc * R * Tcrit / Vcrit;
}

// ----------------------------------------------------------------- TwoPar, ThreePar

TwoPar::TwoPar(int selector) : HCubic(selector) {
    setModelName("TwoPar");
}

ThreePar::ThreePar(int selector) : HCubic(selector) {
    setModelName("ThreePar");
}

void TwoPar::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (readComponentFile(
            i, name, "File %s not found\n", Tc[u], Pc[u],
            {{"Tc", &Tc[u]}, {"Pc", &Pc[u]}, {"omega", &omega[u]}, {"mw", &molarMass[u]}}))
        deriveConstants(i);
    if (i == nc - 1) read_BIP();
}

void ThreePar::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (readComponentFile(
            i, name, "File %s not found\n", Tc[u], Pc[u],
            {{"Tc", &Tc[u]}, {"Pc", &Pc[u]}, {"omega", &omega[u]}, {"mw", &molarMass[u]}})) {
        const double w = omega[u];
        const double zeta = 0.329032 - 0.076799 * w + 0.0211947 * w * w;
        OmegaB = omegaBOf(zeta);
        OmegaA = 3.0 * zeta * zeta + 3.0 * (1.0 - 2.0 * zeta) * OmegaB + OmegaB * OmegaB + 1.0 -
                 3.0 * zeta;
        deriveConstants(i);
    }
    if (i == nc - 1) read_BIP();
}

// ------------------------------------------------------------------------- Heyen

Heyen::Heyen(int selector) : ThreePar(selector) {
    setModelName("Heyen");
}

void Heyen::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    HCubic::number_of_components(n);
    for (auto* v : {&Vc, &nn, &mb, &teta, &Tsum, &Ssum}) v->assign(static_cast<size_t>(n), 0.0);
    Lij.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 1.0);
}

void Heyen::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (readComponentFile(i, name, "Cannot find %s file !\n", Tc[u], Pc[u],
                          {{"Tc", &Tc[u]},
                           {"Pc", &Pc[u]},
                           {"Vc", &Vc[u]},
                           {"slope", &m[u]},
                           {"nn", &nn[u]},
                           {"m", &mb[u]},
                           {"teta", &teta[u]},
                           {"mw", &molarMass[u]}},
                          {{"omega", &omega[u]}}) &&
        zetaAccepted(i, Pc[u] * Vc[u] / (R * Tc[u]))) {
        const double zeta = Pc[u] * Vc[u] / (R * Tc[u]);
        OmegaB = omegaBOf(zeta);
        OmegaA = 2.0 * OmegaB * OmegaC + 3.0 * zeta * zeta + OmegaB + OmegaC + OmegaB * OmegaB;
        ac[u] = OmegaA * R * R * Tc[u] * Tc[u] / Pc[u];
        bc[u] = OmegaB * R * Tc[u] / Pc[u];
        cc[u] = OmegaC * R * Tc[u] / Pc[u];
    }
    if (i == nc - 1) read_BIP();
}

bool Heyen::zetaAccepted(int i, double zeta) {
    // A critical compressibility outside (0, 1/2] gives no positive covolume factor.
    if (zeta > 0.0 && zeta <= 0.5) return true;
    std::fprintf(stderr, "Heyen: critical compressibility %lg of %s refused\n", zeta,
                 componentName[static_cast<size_t>(i)].c_str());
    componentReady[static_cast<size_t>(i)] = 0;
    error = 1;
    return false;
}

void Heyen::calculate_parameters_of_pure_components() {
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double Tr = T / Tc[u];
        a[u] = ac[u] * std::exp(m[u] * (1.0 - std::pow(Tr, nn[u])));
        b[u] = bc[u] * (1.0 + mb[u] * std::tanh(-0.5 * teta[u] * (Tr - 1.0)));
        c[u] = cc[u];
    }
}

void Heyen::calculate_mixing_parameters() {
    const auto n = static_cast<size_t>(nc);
    amix = bmix = cmix = 0.0;
    auto pair = [&](size_t i, size_t j) {
        return (1.0 - kaij[i * n + j]) * std::sqrt(a[i] * a[j]);
    };
    for (size_t i = 0; i < n; ++i) {
        Ssum[i] = Tsum[i] = 0.0;
        for (size_t j = 0; j < n; ++j) {
            Ssum[i] += x[j] * Lij[i * n + j];
            Tsum[i] += x[j] * Lij[i * n + j] * pair(i, j);
        }
        amix += x[i] * Tsum[i] / Ssum[i];
        bmix += x[i] * b[i];
        cmix += x[i] * c[i];
    }
    for (size_t i = 0; i < n; ++i) {
        abarDim[i] = 0.0;
        for (size_t j = 0; j < n; ++j)
            abarDim[i] += x[j] * (Lij[j * n + i] / Ssum[j]) * (pair(i, j) - Tsum[j] / Ssum[j]);
    }
    scaleMixture();
}

double Heyen::attractionShare(int i) const {
    const auto u = static_cast<size_t>(i);
    return 1.0 + (Tsum[u] / Ssum[u] + abarDim[u]) / amix;
}

void Heyen::set_local_composition_parameter(int i, int j, double L) {
    if (!validComponent(i, "set_local_composition_parameter") ||
        !validComponent(j, "set_local_composition_parameter"))
        return;
    if (!positiveFinite(L)) {
        std::fprintf(stderr, "Heyen: local-composition parameter %lg refused\n", L);
        return;
    }
    Lij[static_cast<size_t>(i * nc + j)] = L;
}

}  // namespace vornex

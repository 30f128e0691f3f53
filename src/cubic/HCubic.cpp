#include "cubic/HCubic.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "cubic/ClassicalCubic0.h"
#include "fluid/ComponentFile.h"
#include "fluid/Ideal.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;

bool positiveFinite(double v) {
    return std::isfinite(v) && v > 0.0;
}
}  // namespace

// ------------------------------------------------------------------------ HCubic

HCubic::HCubic(int selector) : FluidPhase(0, 0, 0) {
    phase = selector;
    setIdealTerm(new Standard());
    criticalSolver.equation = this;
    criticalSolver.function = static_cast<EquationFunction>(&HCubic::equation);
    criticalSolver.itermax = 15;
    criticalSolver.tolerance = 1e-9;
    criticalSolver.xmin = -1e15;
    criticalSolver.xmax = 1e15;
    criticalSolver.relaxation = 1.0;
    criticalSolver.minrelaxation = 0.01;
}

HCubic::~HCubic() = default;

void HCubic::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    FluidPhase::number_of_components(n);
    for (auto* v : {&m, &Tc, &Pc, &omega, &ac, &bc, &cc, &a, &b, &c, &Ai, &Bi, &Ci, &Abar, &abarDim})
        v->assign(static_cast<size_t>(n), 0.0);
    kaij.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0.0);
    componentReady.assign(static_cast<size_t>(n), 0);
}

bool HCubic::evaluationRefused(bool needsP, bool needsV) {
    const char* why = nullptr;
    if (nc < 1 || componentReady.size() != static_cast<size_t>(nc))
        why = "no components declared";
    else if (std::find(componentReady.begin(), componentReady.end(), 0) != componentReady.end())
        why = "a component has no data";
    else if (!positiveFinite(T))
        why = "the temperature is not a positive number";
    else if (needsP && !positiveFinite(P))
        why = "the pressure is not a positive number";
    else if (needsV && !positiveFinite(V))
        why = "the volume is not a positive number";
    if (why == nullptr) return false;
    error = 1;
    if (!refusalReported_) {
        std::fprintf(stderr, "%s: nothing computed, %s\n", modelName.c_str(), why);
        refusalReported_ = true;
    }
    return true;
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

bool HCubic::readComponentFile(int i, const char* name, const char* missingFormat,
                               const std::vector<ComponentKey>& required,
                               const std::vector<ComponentKey>& optional) {
    const auto u = static_cast<size_t>(i);
    componentReady[u] = 0;
    const std::string path = std::string("compo/") + (name ? name : "");
    ComponentFile file(path);
    if (!file.isOpen()) {
        std::fprintf(stderr, missingFormat, path.c_str());
        std::fprintf(stderr, "%s: no data for %s; nothing will be computed\n", modelName.c_str(),
                     name ? name : "(null)");
        error = 1;
        return false;
    }
    for (const ComponentKey& k : required) *k.value = std::nan("");
    std::vector<ComponentKey> keys = required;
    keys.insert(keys.end(), optional.begin(), optional.end());
    file.readKeys(keys);
    for (const ComponentKey& k : required)
        if (!std::isfinite(*k.value)) {
            std::fprintf(stderr, "%s: %s has no value for \"%s\"; nothing will be computed\n",
                         modelName.c_str(), file.path().c_str(), k.key);
            error = 1;
        return false;
        }
    if (!positiveFinite(Tc[u]) || !positiveFinite(Pc[u])) {
        std::fprintf(stderr, "%s: %s gives no positive Tc and Pc; nothing will be computed\n",
                     modelName.c_str(), file.path().c_str());
        error = 1;
        return false;
    }
    componentReady[u] = 1;
    return true;
}

void HCubic::calculate_parameters_of_pure_components() {
    const double RT = R * T;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double s = 1.0 + m[u] * (1.0 - std::sqrt(T / Tc[u]));
        a[u] = s * s * ac[u];
        b[u] = bc[u];
        c[u] = cc[u];
        Ai[u] = a[u] * P / (RT * RT);
        Bi[u] = b[u] * P / RT;
        Ci[u] = c[u] * P / RT;
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
    const double RT = R * T;
    A = amix * P / (RT * RT);
    B = bmix * P / RT;
    C = cmix * P / RT;
    for (size_t i = 0; i < n; ++i) Abar[i] = abarDim[i] * P / (RT * RT);
}

void HCubic::read_BIP() {
    for (int i = 0; i < nc; ++i)
        for (int j = i + 1; j < nc; ++j)
            set_binary_interaction_kaij(i, j,
                                        classicKaij(componentName[static_cast<size_t>(i)],
                                                    componentName[static_cast<size_t>(j)]));
}

void HCubic::set_binary_interaction_kaij(int i, int j, double k) {
    if (!validComponent(i, "set_binary_interaction_kaij") ||
        !validComponent(j, "set_binary_interaction_kaij"))
        return;
    kaij[static_cast<size_t>(i * nc + j)] = kaij[static_cast<size_t>(j * nc + i)] = k;
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
    error = 0;
    if (evaluationRefused(false, true)) return P;
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    if (!(V > bmix)) {
        P = Z = 0.0;
        error = 1;
        return P;
    }
    P = R * T / (V - bmix) - amix / (V * V + (bmix + cmix) * V - bmix * cmix);
    Z = P * V / (R * T);
    calculate_mixing_parameters();  // A, B, C at the new pressure
    return P;
}

bool HCubic::resolve_cubic_equation_in_Z() {
    double g[4] = {(B * C + C - A) * B, A - 2.0 * B * C - B - C - B * B, C - 1.0, 1.0};
    double roots[3];
    int count = 0;
    degree3(g, count, roots);
    std::vector<double> kept;
    for (int r = 0; r < count; ++r)
        if (roots[r] > B) kept.push_back(roots[r]);
    std::sort(kept.begin(), kept.end());
    if (kept.size() == 1) {
        Z = kept[0];
    } else if (!kept.empty() && (phase == 1 || phase == 2)) {
        Z = phase == 1 ? kept.back() : kept.front();
    } else {
        error = 1;
        std::fprintf(stderr, "%s: %s at %lg K, %lg Pa\n", modelName.c_str(),
                     kept.empty() ? "no volume above the covolume" : "no phase chosen among the volumes",
                     T, P);
        return false;
    }
    volume(Z * R * T / P);
    return true;
}

void HCubic::calculate_molar_volume() {
    error = 0;
    if (evaluationRefused(true, false)) return;
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    if (!resolve_cubic_equation_in_Z()) return;
    calculateBulkMolarWeight();
    calculate_fugacities();
}

double HCubic::attractionShare(int i) const {
    return 2.0 * abarDim[static_cast<size_t>(i)] / amix;
}

void HCubic::calculate_fugacities() {
    calculate_pressure();
    if (error) return;
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
    if (!positiveFinite(TK)) {
        equationError = 1;
        return 0.0;
    }
    temperature(TK);
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    return amix / (bmix * R * TK) - OmegaA / OmegaB;
}

void HCubic::calculate_the_pseudo_critical_point(double& Tcrit, double& Pcrit, double& Vcrit) {
    Tcrit = Pcrit = Vcrit = 0.0;
    error = 0;
    const double Tsaved = T;
    if (!positiveFinite(T)) temperature(300.0);
    if (evaluationRefused(false, false)) {
        temperature(Tsaved);
        return;
    }
    criticalSolver.x0 = 100.0;
    criticalSolver.x1 = 150.0;
    const double root = criticalSolver.solve();
    if (criticalSolver.error != 0 || !positiveFinite(root)) {
        error = 1;
        std::fprintf(stderr, "%s: pseudo-critical temperature not found (solver code %d, last %lg K)\n",
                     modelName.c_str(), criticalSolver.error, root);
    } else {
        // The covolume and translation at the pseudo-critical temperature itself (the
        // Heyen b depends on T); its compressibility follows from them, not from the
        // pressure the fluid happens to hold.
        equation(root, nullptr);
        const double zc = (1.0 - cmix * OmegaB / bmix) / 3.0;
        Tcrit = root;
        Vcrit = zc * bmix / OmegaB;
        Pcrit = zc * R * root / Vcrit;
    }
    temperature(Tsaved);
    if (positiveFinite(Tsaved)) {
        calculate_parameters_of_pure_components();
        calculate_mixing_parameters();
    }
}

// ----------------------------------------------------------------- TwoPar, ThreePar

void TwoPar::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (readComponentFile(i, name, "File %s not found\n",
                          {{"Tc", &Tc[u]}, {"Pc", &Pc[u]}, {"omega", &omega[u]}, {"mw", &molarMass[u]}}))
        deriveConstants(i);
    if (i == nc - 1) read_BIP();
}

void ThreePar::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (readComponentFile(i, name, "File %s not found\n",
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
    if (readComponentFile(i, name, "Cannot find %s file !\n",
                          {{"Tc", &Tc[u]},
                           {"Pc", &Pc[u]},
                           {"Vc", &Vc[u]},
                           {"slope", &m[u]},
                           {"nn", &nn[u]},
                           {"m", &mb[u]},
                           {"teta", &teta[u]},
                           {"mw", &molarMass[u]}},
                          {{"omega", &omega[u]}})) {
        const double zeta = Pc[u] * Vc[u] / (R * Tc[u]);
        OmegaB = omegaBOf(zeta);
        OmegaA = 2.0 * OmegaB * OmegaC + 3.0 * zeta * zeta + OmegaB + OmegaC + OmegaB * OmegaB;
        ac[u] = OmegaA * R * R * Tc[u] * Tc[u] / Pc[u];
        bc[u] = OmegaB * R * Tc[u] / Pc[u];
        cc[u] = OmegaC * R * Tc[u] / Pc[u];
    }
    if (i == nc - 1) read_BIP();
}

void Heyen::calculate_parameters_of_pure_components() {
    const double RT = R * T;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double Tr = T / Tc[u];
        a[u] = ac[u] * std::exp(m[u] * (1.0 - std::pow(Tr, nn[u])));
        b[u] = bc[u] * (1.0 + mb[u] * std::tanh(-0.5 * teta[u] * (Tr - 1.0)));
        c[u] = cc[u];
        Ai[u] = a[u] * P / (RT * RT);
        Bi[u] = b[u] * P / RT;
        Ci[u] = c[u] * P / RT;
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
    const double RT = R * T;
    A = amix * P / (RT * RT);
    B = bmix * P / RT;
    C = cmix * P / RT;
    for (size_t i = 0; i < n; ++i) Abar[i] = abarDim[i] * P / (RT * RT);
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

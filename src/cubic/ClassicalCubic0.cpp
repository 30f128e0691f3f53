#include "cubic/ClassicalCubic0.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vornex {

namespace {
constexpr double R = kGasConstant;

// Critical constants (Tc K, Pc Pa), acentric factor, molar mass (kg/mol), critical volume
// (m3/mol) of the classic table. Water: IAPWS-95 critical point (Wagner and Pruss 2002),
// acentric factor of Poling, Prausnitz and O'Connell (5th ed.).
constexpr ClassicRow kClassicRows[] = {
    {"C1", "CH4", 190.555, 4595000.0, 0.013, 0.016, 9.8917e-05},
    {"CO2", nullptr, 304.21, 7382500.0, 0.225, 0.044, 9.444e-05},
    {"N2", nullptr, 126.2, 3390000.0, 0.04, 0.028, 9.01e-05},
    {"H2S", nullptr, 373.2, 8820000.0, 0.105, 0.03408, 9.85e-05},
    {"H2O", nullptr, 647.096, 22064000.0, 0.3443, 0.018015268, 5.595e-05},
    {"C2", "C2H6", 305.4, 4820000.0, 0.105, 0.03, 0.000148},
    {"C3", "C3H8", 369.95, 4190000.0, 0.152, 0.04409, 0.000203},
    {"iC4", "iC4H10", 408.8, 3592000.0, 0.176, 0.05812, 0.000259},
    {"nC4", "nC4H10", 425.2, 3750000.0, 0.193, 0.05812, 0.000255},
    {"nC5", "nC5H12", 469.7, 3325000.0, 0.251, 0.07215, 0.000305},
    {"nC6", "nC6H14", 507.4, 2975000.0, 0.296, 0.08618, 0.00037},
    {"nC7", "nC7H16", 540.3, 2698000.0, 0.351, 0.1002, 0.000432},
    {"nC8", "nC8H18", 568.8, 2462000.0, 0.394, 0.11423, 0.000492},
    {"nC9", "nC9H20", 594.7, 2250000.0, 0.444, 0.12826, 0.000548},
    {"nC10", "nC10H22", 617.9, 2072000.0, 0.49, 0.14229, 0.000603},
};

bool isMethane(const std::string& name) {
    return name == "CH4" || name == "C1";
}

// Montel rows: Tc K, Pc bar, acentric factor, M kg/mol, Vc cm3/mol, translation factor s.
struct MontelRow {
    const char* name;
    double Tc, Pc, omega, M, Vc, s;
};
constexpr MontelRow kMontelRows[17] = {
    {"N2", 126.2, 33.94, 0.04, 0.02801, 89, -0.1927},
    {"CO2", 304.2, 73.76, 0.225, 0.04401, 93, -0.817},
    {"H2S", 373.2, 89.37, 0.1, 0.03408, 117, -0.1288},
    {"C1", 190.6, 45, 0.0115, 0.01604, 99.2, -0.1595},
    {"C2", 305.4, 48, 0.0908, 0.03007, 148, -0.1134},
    {"C3", 369.8, 42.46, 0.1454, 0.0441, 203, -0.0863},
    {"iC4", 408.2, 36.48, 0.176, 0.05812, 263, -0.073},
    {"nC4", 425.3, 38, 0.1928, 0.05812, 255, -0.073},
    {"iC5", 464.7, 34.72, 0.2235, 0.07195, 306, -0.046},
    {"nC5", 469.6, 33.74, 0.2273, 0.07215, 304, -0.046},
    {"nC6", 513, 32, 0.2637, 0.08526, 385, 0.03},
    {"nC7", 551, 30, 0.2897, 0.0984, 425, 0.03},
    {"nC8", 583, 28.5, 0.3245, 0.112, 506, 0.03},
    {"nC9", 609, 26.5, 0.3791, 0.126, 570, 0.03},
    {"nC10", 631, 24.8, 0.4363, 0.14, 630, 0.03},
    {"Cn1", 713, 20, 0.6, 0.2, 1040, 0.1},
    {"Cn2", 903, 13, 0.8, 0.44, 1600, 0.2},
};

// Montel kaij, pairs (row i, row j) of the table above; every other pair is 0.
struct MontelPair {
    int i, j;
    double k;
};
constexpr MontelPair kMontelPairs[] = {
    {0, 1, -0.02}, {0, 2, 0.18}, {0, 3, 0.04},  {0, 4, 0.05},  {0, 5, 0.08},  {1, 2, 0.1},
    {1, 3, 0.1},   {1, 4, 0.14}, {1, 5, 0.14},  {2, 3, 0.08},  {2, 4, 0.08},  {2, 5, 0.08},
    {3, 10, 0.03}, {3, 11, 0.03}, {3, 12, 0.03}, {3, 13, 0.03}, {3, 14, 0.03}, {3, 15, 0.05},
    {3, 16, 0.07}, {4, 10, 0.02}, {4, 11, 0.02}, {4, 12, 0.02}, {4, 13, 0.02}, {4, 14, 0.02},
    {4, 15, 0.03}, {4, 16, 0.05}, {5, 10, 0.01}, {5, 11, 0.01}, {5, 12, 0.01}, {5, 13, 0.01},
    {5, 14, 0.01}, {5, 15, 0.01}, {5, 16, 0.03},
};
}  // namespace

const ClassicRow* findClassicRow(const char* name) {
    if (name == nullptr) return nullptr;
    for (const ClassicRow& row : kClassicRows)
        if (std::strcmp(row.name, name) == 0 || (row.alias && std::strcmp(row.alias, name) == 0))
            return &row;
    return nullptr;
}

double classicKaij(const std::string& first, const std::string& second) {
    auto pair = [&](auto isA, const char* other) {
        return (isA(first) && second == other) || (isA(second) && first == other);
    };
    auto isCO2 = [](const std::string& s) { return s == "CO2"; };
    if (pair(isMethane, "CO2")) return 0.1;
    if (pair(isMethane, "N2")) return 0.03;
    if (pair(isCO2, "N2")) return -0.035;
    return 0.0;
}

// ------------------------------------------------------------ ClassicalQuadraMix

void ClassicalQuadraMix::number_of_components(int n) {
    if (!resizesTo(n)) return;
    ClassicalCubic::number_of_components(n);
    kbij.assign(kaij.size(), 0.0);
}

void ClassicalQuadraMix::componentsStartAfresh() {
    ClassicalCubic::componentsStartAfresh();
    kbij.assign(kaij.size(), 0.0);
}

void ClassicalQuadraMix::calculate_mixing_parameters() {
    quadraticMixing();
}

void ClassicalQuadraMix::read_BIP() {
    applyClassicKaij();
}

void ClassicalQuadraMix::set_binary_interaction_kbij(int i, int j, double k) {
    setSymmetric(kbij, i, j, k, "set_binary_interaction_kbij");
}

void ClassicalQuadraMix::print_parameters(FILE* out) {
    printPairs(out, kaij, kbij);
}

// --------------------------------------------------------------- ClassicalCubic0

ClassicalCubic0::ClassicalCubic0(const CubicFamily& family, int selector)
    : ClassicalQuadraMix(family, selector), m0(family.m0), m1(family.m1), m2(family.m2) {
    setModelName("ClassicalCubic0");
}

ClassicalCubic0::~ClassicalCubic0() = default;

void ClassicalCubic0::number_of_components(int n) {
    if (!resizesTo(n)) return;
    ClassicalQuadraMix::number_of_components(n);
    for (auto* v : {&Tc, &Pc, &Vc, &omega, &m, &ac, &bc}) v->assign(static_cast<size_t>(n), 0.0);
}

void ClassicalCubic0::set_critical_constants(int i, double TcK, double PcPa, double omegaValue) {
    if (!validComponent(i, "set_critical_constants")) return;
    if (!(TcK > 0.0) || !(PcPa > 0.0) || !std::isfinite(TcK) || !std::isfinite(PcPa) ||
        !std::isfinite(omegaValue)) {
        vornex::cfprintf(stderr, "%s: critical constants %lg K, %lg Pa, %lg refused\n",
                     modelName.c_str(), TcK, PcPa, omegaValue);
        return;
    }
    const auto u = static_cast<size_t>(i);
    Tc[u] = TcK;
    Pc[u] = PcPa;
    omega[u] = omegaValue;
    m[u] = m0 + m1 * omegaValue + m2 * omegaValue * omegaValue;
    ac[u] = OmegaA * R * R * TcK * TcK / PcPa;
    bc[u] = OmegaB * R * TcK / PcPa;
    componentReady[u] = 1;
}

void ClassicalCubic0::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    if (const ClassicRow* row = takeClassicRow(i, name)) {
        Vc[static_cast<size_t>(i)] = row->Vc;
        set_critical_constants(i, row->Tc, row->Pc, row->omega);
    }
    if (i == nc - 1) read_BIP();
}

void ClassicalCubic0::calculate_parameters_of_pure_components() {
    const auto n = static_cast<size_t>(nc);
    for (size_t i = 0; i < n; ++i)
        setPureComponent(static_cast<int>(i), ac[i], m[i], Tc[i], bc[i], 1.0, 0.0, 0.0,
                         kaij[i * n + i], kbij[i * n + i]);
    combinePairs(kaij, kbij);
}

bool ClassicalCubic0::componentCriticalConstants(int i, double& TcK, double& PcPa,
                                                 double& omegaValue) {
    return criticalConstantsOf(i, Tc, Pc, omega, TcK, PcPa, omegaValue);
}

// -------------------------------------------------------------- ClassicalCubic01

void ClassicalCubic01::read_BIP() {
    auto excluded = [&](int i) {
        const std::string& s = componentName[static_cast<size_t>(i)];
        return s == "CO2" || s == "N2" || s == "H2O" || molarMass[static_cast<size_t>(i)] > 0.156;
    };
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j < i; ++j) {
            if (excluded(i) || excluded(j)) continue;
            const auto u = static_cast<size_t>(i), w = static_cast<size_t>(j);
            const double n = 0.5 * (Pc[u] * Vc[u] / (R * Tc[u]) + Pc[w] * Vc[w] / (R * Tc[w]));
            const double k = 1.0 - std::pow(2.0 * std::sqrt(Tc[u] * Tc[w]) / (Tc[u] + Tc[w]), n);
            set_binary_interaction_kaij(i, j, k);
        }
}

// ------------------------------------------------------------------ ClassicalSRK

ClassicalSRK::ClassicalSRK(int selector) : ClassicalCubic0(kSoaveRedlichKwong, selector) {
    setModelName("SRK");
}

// ------------------------------------------------------------------------ Montel

Montel::Montel(int selector) : ClassicalCubic0(kMontelConstants, selector) {
    setModelName("Montel");
    number_of_components(17);
}

void Montel::number_of_components(int count) {
    // Its binary parameters and heavy fractions are tables over its own 17 components: any
    // other system would be computed with the tables of another.
    if (nc == 17 && count != 17) {
        refuseComponentCountOf(count, "the model has its own 17 components");
        return;
    }
    ClassicalCubic0::number_of_components(count);
    // Started afresh (first, or after a refused name, or after names it did not take or
    // not all of them), the set-up is the model's own.
    const bool own = componentsAdded == nc &&
                     std::find(componentReady.begin(), componentReady.end(), 0) == componentReady.end();
    if (nc == 17 && !own)
        for (const MontelRow& row : kMontelRows) add_component(row.name);
}

void Montel::read_component_data(int i, const char* name) {
    if (i < 0 || i >= 17 || name == nullptr || std::strcmp(kMontelRows[i].name, name) != 0) {
        vornex::cfprintf(stderr, "Montel: component %d is %s, not %s; refused\n", i,
                     i >= 0 && i < 17 ? kMontelRows[i].name : "none", name ? name : "(null)");
        if (i >= 0 && i < nc) componentReady[static_cast<size_t>(i)] = 0;
        error = 1;
        return;
    }
    const MontelRow& row = kMontelRows[i];
    const Heavy own{row.Tc, row.Pc * 1e5, row.omega, row.s};
    const Heavy& h = i == 15 ? cn1 : i == 16 ? cn2 : own;
    const auto u = static_cast<size_t>(i);
    molarMass[u] = row.M;
    Vc[u] = row.Vc * 1e-6;
    set_critical_constants(i, h.Tc, h.Pc, h.omega);
    set_translation(i, h.s * bc[u], 0.0);
    if (i == nc - 1) read_BIP();
}

void Montel::read_BIP() {
    for (const MontelPair& p : kMontelPairs)
        if (p.i < nc && p.j < nc) set_binary_interaction_kaij(p.i, p.j, p.k);
}

void Montel::set_heavy_fraction(int which, const Heavy& h) {
    if (which != 1 && which != 2) {
        vornex::cfprintf(stderr, "Montel: heavy fraction %d does not exist (1 or 2)\n", which);
        return;
    }
    (which == 1 ? cn1 : cn2) = h;
    const int i = which == 1 ? 15 : 16;
    if (i < nc && componentName[static_cast<size_t>(i)] == kMontelRows[i].name)
        read_component_data(i, kMontelRows[i].name);
}

}  // namespace vornex

#include "cubic/CriticalInterpolation.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <string>


namespace vornex {

namespace {
constexpr double R = kGasConstant;

// Step parameters of a pair: ka_lo, ka_hi, Ta, wa, kb_lo, kb_hi, Tb, wb.
struct StepPair {
    const char* first;
    const char* second;
    double kaLo, kaHi, Ta, wa, kbLo, kbHi, Tb, wb;
};
constexpr StepPair kStepPairs[] = {
    {"CH4", "CO2", 0.1, 0.0, 255.0, 15.0, 0.06, -0.1, 255.5, 5.0},
    {"CH4", "N2", 0.03, 0.0, 150.0, 20.0, 0.0, 0.0, 150.5, 20.0},
    {"CO2", "N2", -0.035, 0.0, 235.0, 15.0, -0.13, -0.08, 235.5, 15.0},
};

// "C1" and "CH4" name one component.
std::string canonical(const std::string& name) {
    return name == "C1" ? "CH4" : name;
}

double step(double lo, double hi, double T, double T0, double width) {
    return 0.5 * (lo + hi) + 0.5 * (hi - lo) * std::tanh((T - T0) / width);
}
}  // namespace

// ------------------------------------------------------ CriticalInterpolationMix

CriticalInterpolationMix::~CriticalInterpolationMix() = default;

void CriticalInterpolationMix::number_of_components(int n) {
    if (!resizesTo(n)) return;
    ClassicalCubic::number_of_components(n);
    clearSteps();
}

void CriticalInterpolationMix::clearSteps() {
    const size_t nn = static_cast<size_t>(nc) * static_cast<size_t>(nc);
    for (auto* v : {&kaLow, &kaHigh, &kbij, &kbLow, &kbHigh, &Ta, &Tb}) v->assign(nn, 0.0);
    wa.assign(nn, 1.0);
    wb.assign(nn, 1.0);
}

void CriticalInterpolationMix::componentsStartAfresh() {
    ClassicalCubic::componentsStartAfresh();
    // The steps read belong to the former pair: a pair without steps of its own takes none.
    clearSteps();
}

double CriticalInterpolationMix::calculate_interpolation_factor(double) {
    return 0.0;
}

void CriticalInterpolationMix::correct_BIP(double value) {
    calculate_corrected_BIP(calculate_interpolation_factor(value));
}

void CriticalInterpolationMix::calculate_corrected_BIP(double f) {
    const auto n = static_cast<size_t>(nc);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j) {
            const size_t ij = i * n + j;
            const double ka = f * step(kaLow[ij], kaHigh[ij], T, Ta[ij], wa[ij]) + (1.0 - f) * kaLow[ij];
            const double kb = (1.0 - f) * kbLow[ij] + f * step(kbLow[ij], kbHigh[ij], T, Tb[ij], wb[ij]);
            kaij[ij] = kaij[j * n + i] = ka;
            kbij[ij] = kbij[j * n + i] = kb;
        }
}

void CriticalInterpolationMix::calculate_mixing_parameters() {
    quadraticMixing();
}

void CriticalInterpolationMix::read_BIP() {
    const auto n = static_cast<size_t>(nc);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j) {
            const std::string a = canonical(componentName[i]), b = canonical(componentName[j]);
            for (const StepPair& p : kStepPairs) {
                if (!((a == p.first && b == p.second) || (a == p.second && b == p.first))) continue;
                for (size_t k : {i * n + j, j * n + i}) {
                    kaLow[k] = p.kaLo;
                    kaHigh[k] = p.kaHi;
                    Ta[k] = p.Ta;
                    wa[k] = p.wa;
                    kbLow[k] = p.kbLo;
                    kbHigh[k] = p.kbHi;
                    Tb[k] = p.Tb;
                    wb[k] = p.wb;
                }
            }
        }
    kaij = kaLow;
    kbij = kbLow;
}

void CriticalInterpolationMix::print_parameters(FILE* out) {
    printPairs(out, kaij, kbij);
}

// ---------------------------------------------------- CriticalInterpolationCubic

CriticalInterpolationCubic::CriticalInterpolationCubic(const CubicFamily& family, int selector)
    : CriticalInterpolationMix(family, selector), m0(family.m0), m1(family.m1), m2(family.m2) {
    setModelName("CriticalInterpolationCubic");
}

void CriticalInterpolationCubic::number_of_components(int n) {
    if (!resizesTo(n)) return;
    CriticalInterpolationMix::number_of_components(n);
    for (auto* v : {&Tc, &Pc, &Tstar, &omega, &m, &ac, &bc, &q})
        v->assign(static_cast<size_t>(n), 0.0);
}

void CriticalInterpolationCubic::componentsStartAfresh() {
    CriticalInterpolationMix::componentsStartAfresh();
    // An onset set for the component formerly at a position is no property of the new one.
    Tstar.assign(static_cast<size_t>(nc), 0.0);
    q.assign(static_cast<size_t>(nc), 0.0);
}

void CriticalInterpolationCubic::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    if (const ClassicRow* row = takeClassicRow(i, name)) {
        const auto u = static_cast<size_t>(i);
        Tc[u] = row->Tc;
        Pc[u] = row->Pc;
        omega[u] = row->omega;
        m[u] = m0 + m1 * row->omega + m2 * row->omega * row->omega;
        ac[u] = OmegaA * R * R * row->Tc * row->Tc / row->Pc;
        bc[u] = OmegaB * R * row->Tc / row->Pc;
    }
    if (i == nc - 1) read_BIP();
}

void CriticalInterpolationCubic::set_attraction_onset(int i, double TstarK, double amplitude) {
    if (!validComponent(i, "set_attraction_onset")) return;
    if (!std::isfinite(TstarK) || !std::isfinite(amplitude) || (amplitude != 0.0 && !(TstarK > 0.0))) {
        vornex::cfprintf(stderr, "%s: onset %lg K, amplitude %lg refused\n", modelName.c_str(), TstarK,
                     amplitude);
        return;
    }
    Tstar[static_cast<size_t>(i)] = TstarK;
    q[static_cast<size_t>(i)] = amplitude;
}

void CriticalInterpolationCubic::calculate_parameters_of_pure_components() {
    const auto n = static_cast<size_t>(nc);
    for (size_t i = 0; i < n; ++i) {
        double F = 1.0, dF = 0.0, d2F = 0.0;
        if (q[i] != 0.0) {
            if (Tstar[i] > T) {
                F = 1.0 + q[i];
            } else {
                const double k = 10.0 / Tstar[i];
                F = 1.0 + q[i] * std::exp(-k * (T - Tstar[i]));
                dF = -k * (F - 1.0);
                d2F = k * k * (F - 1.0);
            }
        }
        setPureComponent(static_cast<int>(i), ac[i], m[i], Tc[i], bc[i], F, dF, d2F,
                         kaij[i * n + i], kbij[i * n + i]);
    }
    combinePairs(kaij, kbij);
}

// ------------------------------------------------------ CriticalInterpolationSRK

CriticalInterpolationSRK::CriticalInterpolationSRK(int selector)
    : CriticalInterpolationCubic(kSoaveRedlichKwong, selector) {
    setModelName("CriticalInterpolationSRK");
}

double CriticalInterpolationSRK::calculate_interpolation_factor(double value) {
    if (value < 1.05) return 1.0;
    return std::exp(-0.5 * (1.05 - value) * (1.05 - value));
}

}  // namespace vornex

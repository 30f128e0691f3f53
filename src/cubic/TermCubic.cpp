#include "cubic/TermCubic.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "cubic/ClassicData.h"
#include "fluid/Ideal.h"
#include "fluid/OutputFiles.h"
#include "fluid/VenturiInteraction.h"
#include "vle/IFP.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
// Z of a state solved at its pressure against the terms' sum there, which rounds at 1e-14.
constexpr double kSolvedZTolerance = 1e-9;

std::string withSuffix(const char* prefix, const char* suffix) {
    return std::string(prefix) + (suffix ? suffix : "");
}
}  // namespace

// ------------------------------------------------------------------------ TermCubic

TermCubic::TermCubic(const CubicFamily& family, int selector, char extra, const char* name)
    : CubicBase(2, selector, extra),
      d1(family.d1),
      d2(family.d2),
      Zc(family.Zc),
      m0(family.m0),
      m1(family.m1),
      m2(family.m2) {
    setModelName(name);
    termsBuildOnce = true;
    OmegaA = family.OmegaA;
    OmegaB = family.OmegaB;
    Vl0 = 2e-5;
    Vv0 = 0.002;
}

TermCubic::~TermCubic() = default;

bool TermCubic::resizesTermsTo(int n) {
    if (nc >= 1 && n >= 1 && n != nc) {
        // The terms build their graphs once, for the count they were first given.
        const std::string why = "its terms are built for " + std::to_string(nc);
        refuseComponentCountOf(n, why.c_str());
        return false;
    }
    return resizesTo(n);
}

void TermCubic::number_of_components(int n) {
    if (!resizesTermsTo(n)) return;
    CubicBase::number_of_components(n);
    for (auto* v : {&Tc, &Pc, &omega}) v->assign(static_cast<size_t>(n), 0.0);
}

void TermCubic::set_critical_constants(int i, double TcK, double PcPa, double omegaValue) {
    if (!validComponent(i, "set_critical_constants")) return;
    const auto u = static_cast<size_t>(i);
    if (!positiveFinite(TcK) || !positiveFinite(PcPa) || !std::isfinite(omegaValue)) {
        vornex::cfprintf(stderr, "%s: critical constants %lg K, %lg Pa, %lg refused\n",
                     modelName.c_str(), TcK, PcPa, omegaValue);
        return;
    }
    Tc[u] = TcK;
    Pc[u] = PcPa;
    omega[u] = omegaValue;
    giveConstants(i);
    componentReady[u] = 1;
    // The critical point the naming found was that of the former constants, and its search
    // starts from these.
    namingTc = -1.0;
    startCriticalSearchAt(i);
}

bool TermCubic::readFile(int i, const char* name, const char* missingFormat) {
    const auto u = static_cast<size_t>(i);
    if (!readComponentFile(i, name, missingFormat, Tc[u], Pc[u],
                           {{"Tc", &Tc[u]},
                            {"Pc", &Pc[u]},
                            {"omega", &omega[u]},
                            {"mw", &molarMass[u]}}))
        return false;
    giveConstants(i);
    startCriticalSearchAt(i);
    return true;
}

void TermCubic::componentsRead() {
    read_BIP();
    // The extra volume term weighs the components by their molar masses.
    if (extraTerm && interaction.size() > 2)
        if (auto* venturi = dynamic_cast<VenturiInteraction*>(interaction.back()))
            venturi->coefficients = molarMass;
}

void TermCubic::startCriticalSearchAt(int i) {
    if (i == 0) componentCriticalEstimate(0, Tcrit, Vcrit);
}

bool TermCubic::currentShape(CubicShape& shape) const {
    if (nc < 2 || extraTerm) return false;
    double a = 0.0, dadT = 0.0, b = 0.0;
    std::vector<double> dadx, dbdx;
    // The evaluation leaves the fluid's state as it was: only the term's graph moves.
    auto* self = const_cast<TermCubic*>(this);
    if (!self->attraction()->mixtureParameters(a, dadT, b, dadx, dbdx) || !positiveFinite(a) ||
        !positiveFinite(b))
        return false;
    shape = {a, b, d1, d2, 0.0};
    return true;
}

bool TermCubic::componentCriticalEstimate(int i, double& TK, double& Vm3) {
    if (i < 0 || i >= nc || static_cast<size_t>(i) >= Tc.size()) return false;
    const auto u = static_cast<size_t>(i);
    if (!positiveFinite(Tc[u]) || !positiveFinite(Pc[u])) return false;
    // Just above the constants' critical point, which the family's cubic keeps at Tc.
    TK = Tc[u] + 2.0;
    Vm3 = Zc * R * Tc[u] / Pc[u];
    return true;
}

double TermCubic::calculate_pressure() {
    if (evaluationRefused(false, true)) return P;
    return FluidPhase::calculate_pressure();
}

void TermCubic::calculate_fugacities() {
    if (!evaluationRefused(false, true)) FluidPhase::calculate_fugacities();
}

double TermCubic::calculate_state_functions() {
    if (evaluationRefused(false, true)) return P;
    return FluidPhase::calculate_state_functions();
}

bool TermCubic::resolve_cubic_equation_in_Z() {
    double a = 0.0, dadT = 0.0, b = 0.0;
    std::vector<double> dadx, dbdx;
    if (!attraction()->mixtureParameters(a, dadT, b, dadx, dbdx) || !positiveFinite(b)) {
        vornex::cfprintf(stderr, "%s: no attraction parameters at %lg K\n", modelName.c_str(), T);
        error = 1;
        return false;
    }
    const double RT = R * T;
    const double A = a * P / (RT * RT), B = b * P / RT;
    double g[4] = {-d1 * d2 * B * B * (1.0 + B) - A * B,
                   (d1 * d2 + d1 + d2) * B * B + (d1 + d2) * B + A, -1.0 - (d1 + d2 + 1.0) * B,
                   1.0};
    double root = 0.0;
    if (!takeRoot(rootsAbove(g, B), root)) return false;
    volume(polishedVolume(root * RT / P, P, b, [&](double v) {
        const double e1 = v - d1 * b, e2 = v - d2 * b, u = v - b;
        return std::pair<double, double>{RT / u - a / (e1 * e2),
                                         -RT / (u * u) + a * (1.0 / e1 + 1.0 / e2) / (e1 * e2)};
    }));
    Z = P * V / RT;
    root_ = {T, V, P, x};
    const double D1 = V - d1 * b, D2 = V - d2 * b, w = V - b, DD = D1 * D2;
    dPdV = -RT / (w * w) + a * (1.0 / D1 + 1.0 / D2) / DD;
    dPdT = R / w - dadT / DD;
    dVdT = -dPdT / dPdV;
    dVdP = 1.0 / dPdV;
    const double dPda = -1.0 / DD;
    const double dPdb = RT / (w * w) - a / DD * (d1 / D1 + d2 / D2);
    for (int k = 0; k < nc; ++k) {
        const auto u = static_cast<size_t>(k);
        dVdx[u] = -(dPda * dadx[u] + dPdb * dbdx[u]) / dPdV;
    }
    return true;
}

void TermCubic::calculate_molar_volume() {
    if (!prepareVolumeSearch()) return;
    FluidPhase::calculate_fixed_parameters();
    if (!resolve_cubic_equation_in_Z()) return;
    // The model at that volume refreshes Z and dZ/dV from the terms themselves; a volume it
    // refuses is no state, whatever the fields then hold.
    double Pcalc = 0.0;
    if (!pressureAndSlopeAt(V, Pcalc)) error = 1;
    keepSolvedPressure();
    for (Interaction* term : interaction)
        if (term && term->error) error = 1;
    dPdV = (dZdV - Z / V) * R * T / V;
    dZdP = dZdV / dPdV;
    calculateBulkMolarWeight();
}

bool TermCubic::solvedPressure(double Zterms, double& Ppa) const {
    if (!(root_.P > 0.0) || T != root_.T || V != root_.V || x != root_.x) return false;
    // The terms hold the root's Z to the rounding of their sum; a larger difference is a
    // term the cubic lacks (an extra volume term) or parameters changed since the solve.
    const double Zroot = root_.P * V / (R * T);
    if (!(std::fabs(Zterms - Zroot) <= kSolvedZTolerance)) return false;
    Ppa = root_.P;
    return true;
}

void TermCubic::calculateTheCriticalCurve(const char* suffix) {
    double Tstart[2] = {0.0, 0.0}, Vstart[2] = {0.0, 0.0};
    if (nc != 2 || !componentCriticalEstimate(0, Tstart[0], Vstart[0]) ||
        !componentCriticalEstimate(1, Tstart[1], Vstart[1])) {
        vornex::cfprintf(stderr,
                         "%s: a critical curve needs a binary whose components have critical "
                         "constants\n",
                         modelName.c_str());
        error = 1;
        return;
    }
    // A fluid that computes nothing (a component without data, or out of place) would fill
    // the curve with the states it refuses.
    temperature(Tstart[0]);
    volume(Vstart[0]);
    if (evaluationRefused(false, true)) {
        vornex::cfprintf(stderr, "%s: the critical curve is not traced\n", modelName.c_str());
        return;
    }
    // A cubic's critical states of these fluids lie below twice the higher critical
    // temperature and 10 kbar; the gas-gas branch of a type III pair runs on beyond both,
    // away from every fluid the constants describe.
    const std::string file = withSuffix("crit", suffix);
    calculate_the_critical_curve_of_the_binary(file.c_str(), Tstart, Vstart,
                                               2.0 * std::max(Tstart[0], Tstart[1]), 1e9,
                                               suffix ? suffix : "");
}

void TermCubic::calculateTheIsotherm(double TK, const char* suffix) {
    // The liquid estimate follows the water saturation line, which ends at 647.086 K.
    if (!(TK > 0.0 && TK < 647.086)) {
        vornex::cfprintf(stderr, "%s: isotherm at %lg K refused (0 to 647.086 K)\n", modelName.c_str(),
                     TK);
        error = 1;
        return;
    }
    const double y = std::exp((std::log(647.086 - TK) - 2.17) / -1.5);
    const double Vliquid = 1e-6 * (76.033 - std::exp(1.97 / (y + 1.0) + 2.176));
    const double L = std::log(TK);
    const double Vvapour =
        1e-6 * std::exp(1526.5 - 701.94 * L + 109.45 * L * L - 5.7664 * L * L * L);
    const std::string file = withSuffix("isot", suffix);
    calculate_an_isotherm_of_the_binary_system(file.c_str(), 1, 0.005, 1.0, 10000.0, TK, Vliquid,
                                               Vvapour, 0.0, 1e-6, 1, suffix ? suffix : "");
}

// --------------------------------------------------------------- QuadraticTermCubic

QuadraticTermCubic::QuadraticTermCubic(const CubicFamily& family, int selector, char extra,
                                       const char* name, SoaveMixing* attraction)
    : TermCubic(family, selector, extra, name) {
    setInteraction(0, new VdWr1());
    setInteraction(1, attraction);
}

void QuadraticTermCubic::set_binary_interaction_kaij(int i, int j, double k) {
    if (!validComponent(i, "set_binary_interaction_kaij") ||
        !validComponent(j, "set_binary_interaction_kaij"))
        return;
    mixing()->set_binary_interaction_kaij(i, j, k);
    CubicBase::set_binary_interaction_kaij(i, j, k);
}

void QuadraticTermCubic::set_binary_interaction_kbij(int i, int j, double k) {
    mixing()->set_binary_interaction_kbij(i, j, k);
    repulsion()->set_binary_interaction_kbij(i, j, k);
}

void QuadraticTermCubic::tune(double* p) {
    if (nc < 2 || p == nullptr) return;
    set_binary_interaction_kaij(1, 0, p[0]);
    set_binary_interaction_kbij(1, 0, p[1]);
}

double QuadraticTermCubic::ownKaij(const std::string&, const std::string&) const {
    return std::nan("");
}

void QuadraticTermCubic::read_BIP() {
    for (int i = 1; i < nc; ++i)
        for (int j = 0; j < i; ++j) {
            const std::string& first = componentName[static_cast<size_t>(i)];
            const std::string& second = componentName[static_cast<size_t>(j)];
            const double own = ownKaij(first, second);
            set_binary_interaction_kaij(i, j, std::isnan(own) ? classicKaij(first, second) : own);
            set_binary_interaction_kbij(i, j, 0.0);
        }
}

// ----------------------------------------------------------------------------- SRK1

SRK1::SRK1(int selector, char extra)
    : QuadraticTermCubic(kSoaveRedlichKwong, selector, extra, "SRK1", new Soave1()) {}

void SRK1::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    if (const ClassicRow* row = findClassicRow(name)) {
        molarMass[u] = row->M;
        set_critical_constants(i, row->Tc, row->Pc, row->omega);
        if (i == 0) {
            Tcrit = row->Tc + 2.0;
            Vcrit = row->Vc;
        }
        // Lowest temperatures of the saturation and spinodal tracers of methane and ethane.
        if (std::strcmp(row->name, "C1") == 0) Tlowest = 100.0;
        if (std::strcmp(row->name, "C2") == 0) Tlowest = 250.0;
    } else {
        readFile(i, name, "Cannot open %s file !\n");
    }
    if (i == nc - 1) componentsRead();
}

void SRK1::componentsStartAfresh() {
    QuadraticTermCubic::componentsStartAfresh();
    Tlowest = ownTlowest_;
}

void SRK1::giveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    const double w = omega[u];
    const double b = OmegaB * R * Tc[u] / Pc[u];
    static_cast<Soave1*>(mixing())->set_ai_parameters(i, OmegaA * R * R * Tc[u] * Tc[u] / Pc[u],
                                                      m0 + m1 * w + m2 * w * w, Tc[u]);
    mixing()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
}

// ----------------------------------------------------------------------------- PRSV

namespace {
// Tc K, Pc Pa, acentric factor, M kg/mol; critical-search start T (K) and V (m3/mol).
// Water: IAPWS-95 critical point with the acentric factor of Stryjek and Vera (1986).
struct PrsvRow {
    const char* name;
    double Tc, Pc, omega, M, startT, startV;
};
constexpr PrsvRow kPrsvRows[] = {
    {"H2O", 647.096, 22064000.0, 0.3438, 0.018015268, 649.0, 7e-05},
    {"CO2", 304.21, 7383000.0, 0.225, 0.044, 0.0, 0.0},
    {"CH4", 190.55, 4599000.0, 0.01045, 0.016, 192.0, 9e-05},
};

bool isPair(const std::string& first, const std::string& second, const char* a, const char* b) {
    return (first == a && second == b) || (first == b && second == a);
}
}  // namespace

PRSV::PRSV(int selector, char extra)
    : QuadraticTermCubic(kPengRobinson, selector, extra, "PRSV", new StryjekVera()) {}

void PRSV::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    const PrsvRow* row = nullptr;
    for (const PrsvRow& r : kPrsvRows)
        if (name && std::strcmp(r.name, name) == 0) row = &r;
    if (row) {
        molarMass[u] = row->M;
        set_critical_constants(i, row->Tc, row->Pc, row->omega);
        if (i == 0 && row->startT > 0.0) {
            Tcrit = row->startT;
            Vcrit = row->startV;
        } else {
            startCriticalSearchAt(i);
        }
    } else {
        readFile(i, name, "Cannot open %s file !\n");
    }
    if (i == nc - 1) componentsRead();
}

void PRSV::giveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    const double w = omega[u];
    // Stryjek and Vera (1986), eq. 12.
    const double kappa0 = 0.378893 + 1.4897153 * w - 0.17131848 * w * w + 0.0196554 * w * w * w;
    const double b = OmegaB * R * Tc[u] / Pc[u];
    static_cast<StryjekVera*>(mixing())->set_ai_parameters(
        i, OmegaA * R * R * Tc[u] * Tc[u] / Pc[u], Tc[u], kappa0, 0.0);
    mixing()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
}

double PRSV::ownKaij(const std::string& first, const std::string& second) const {
    if (isPair(first, second, "CH4", "H2O")) return 0.6;
    if (isPair(first, second, "CO2", "H2O")) return 0.0;
    return std::nan("");
}

// -------------------------------------------------------------------------- PRNirma

PRNirma::PRNirma(int selector, int version, char extra)
    : QuadraticTermCubic(kPengRobinson, selector, extra, "PRNirma", new Nirma(version)) {}

void PRNirma::number_of_components(int count) {
    if (!resizesTermsTo(count)) return;
    QuadraticTermCubic::number_of_components(count);
    // A component read from a file has no alpha constants: alpha = 1 in every version.
    for (auto* v : {&m, &L, &c0, &c1, &c, &n}) v->assign(static_cast<size_t>(count), 0.0);
}

void PRNirma::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const auto u = static_cast<size_t>(i);
    const std::string s = name ? name : "";
    if (s == "H2O") {
        molarMass[u] = 0.018015268;
        double* alpha[] = {&m[u], &L[u], &c0[u], &c1[u], &c[u], &n[u]};
        for (int k = 0; k < 6; ++k) *alpha[k] = kWaterAlpha[k];
        set_critical_constants(i, 647.13, 22055000.0, 0.345);
        if (i == 0) {
            Tcrit = 649.0;
            Vcrit = 7e-05;
        }
    } else if (s == "CO2" || s == "CH4") {
        vornex::cfprintf(stderr, "Cannot treat %s component\n", s.c_str());
        componentReady[u] = 0;
        error = 1;
    } else {
        readFile(i, name, "Cannot open %s file !\n");
    }
    if (i == nc - 1) componentsRead();
}

void PRNirma::giveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    // One covolume for both terms, so that the volume of the cubic gives back its pressure.
    const double b = OmegaB * R * Tc[u] / Pc[u];
    if (m.size() == static_cast<size_t>(nc))
        static_cast<Nirma*>(mixing())->set_parameters(i, Tc[u], Pc[u], omega[u], m[u], L[u], c0[u],
                                                      c1[u], c[u], n[u]);
    mixing()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
}

void PRNirma::PRNirmaTest0() {
    // Each curve from the critical point down by 1 K steps; file k + 1 from version k.
    WagnerPruss water(2);
    water.calculate_saturation_curve("satu0", 2, 650.0, -1.0, 6e-5, 6e-5, 270.0, 1, "0", nullptr);
    for (int version = 0; version < 4; ++version) {
        PRNirma f(2, version, 0);
        f.number_of_components(1);
        f.add_component("H2O");
        const std::string suffix = std::to_string(version + 1);
        f.calculate_saturation_curve(("satu" + suffix).c_str(), 2, 650.0, -1.0, 6e-5, 6e-5, 270.0,
                                     1, suffix.c_str(), nullptr);
    }
}

// ----------------------------------------------------------------------------- SRK2

SRK2::SRK2(int selector) : TermCubic(kSoaveRedlichKwong, selector, 0, "SRK2") {
    setInteraction(0, new VdWr2());
    setInteraction(1, new Soave2());
    setIdealTerm(new Standard());
    Vl0 = 3e-05;
    Vv0 = 0.0002;
}

void SRK2::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    readFile(i, name, "Cannot open %s file !\n");
    if (i == nc - 1) componentsRead();
    if (ideal) static_cast<Ideal*>(ideal)->read_component_data(componentFileName(name).c_str());
}

void SRK2::giveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    const double w = omega[u];
    const double b = OmegaB * R * Tc[u] / Pc[u];
    soave()->set_ai_parameters(i, OmegaA * R * R * Tc[u] * Tc[u] / Pc[u], m0 + m1 * w + m2 * w * w,
                               Tc[u]);
    soave()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
}

void SRK2::set_binary_interaction_kaij(int i, int j, double k0, double k1, double T0, double w) {
    soave()->set_binary_interaction_kaij(i, j, k0, k1, T0, w);
}

void SRK2::set_binary_interaction_kbij(int i, int j, double k0, double k1, double T0, double w) {
    soave()->set_binary_interaction_kbij(i, j, k0, k1, T0, w);
    repulsion()->set_binary_interaction_kbij(i, j, k0, k1, T0, w);
}

void SRK2::read_BIP() {
    if (nc != 2) return;
    const double k = classicKaij(componentName[0], componentName[1]);
    set_binary_interaction_kaij(1, 0, k, k, 300.0, 10.0);
    set_binary_interaction_kbij(1, 0, 0.0, 0.0, 300.0, 10.0);
}

// ----------------------------------------------------------------------- DaridonEOS

namespace {
// Water-gas parameters k, beta0, beta1, beta2, gamma (Daridon et al. 1993); names in one
// row are alternatives. The last row serves any other gas.
struct DaridonRow {
    const char* names[3];
    double k, beta0, beta1, beta2, gamma;
};
constexpr DaridonRow kDaridonRows[] = {
    {{"C1", "CH4", nullptr}, 0.5, -1.7885, 2.616, -1.0792, 1.0},
    {{"CO2", nullptr, nullptr}, 0.19, -0.6689, 0.99967, -0.41224, 1.0},
    {{"C2", "C2H6", nullptr}, 0.5, -1.3332, 1.7226, -0.5821, 1.0},
    {{"C3", nullptr, nullptr}, 0.52, -1.436, 1.928, -0.821, 1.0},
    {{"iC4", "nC4", nullptr}, 0.48332, -1.32614, 1.614, -0.5712, 2.0},
    {{"iC5", "nC5", nullptr}, 0.47498, -1.29501, 1.4658, -0.4832, 2.5},
    {{"nC6", nullptr, nullptr}, 0.46664, -1.26388, 1.3176, -0.3952, 3.0},
    {{"nC7", nullptr, nullptr}, 0.4583, -1.23275, 1.1694, -0.3072, 3.5},
    {{"nC8", nullptr, nullptr}, 0.44996, -1.20162, 1.0212, -0.2192, 4.0},
    {{"nC9", nullptr, nullptr}, 0.44162, -1.17049, 0.873, -0.1312, 4.5},
    {{"nC10", nullptr, nullptr}, 0.43328, -1.13936, 0.7248, -0.0432, 4.5},
    {{"nC11", nullptr, nullptr}, 0.42494, -1.10823, 0.5766, 0.0448, 4.5},
    {{"nC12", "Cn1", nullptr}, 0.4166, -1.0771, 0.4284, 0.1328, 4.5},
    {{"nC13", nullptr, nullptr}, 0.40826, -1.04597, 0.2802, 0.2208, 4.5},
    {{"nC14", nullptr, nullptr}, 0.39992, -1.01484, 0.132, 0.3088, 4.5},
    {{"nC15", "nC16", "Cn2"}, 0.39158, -0.98371, -0.0162, 0.3968, 4.5},
    {{nullptr, nullptr, nullptr}, 0.0, 1.0, 0.0, 0.0, 1.0},
};
constexpr size_t kDaridonRowCount = sizeof(kDaridonRows) / sizeof(kDaridonRows[0]);

const DaridonRow& daridonRow(const std::string& name, bool& known) {
    for (size_t r = 0; r + 1 < kDaridonRowCount; ++r)
        for (const char* alias : kDaridonRows[r].names)
            if (alias && name == alias) {
                known = true;
                return kDaridonRows[r];
            }
    known = false;
    return kDaridonRows[kDaridonRowCount - 1];
}
}  // namespace

DaridonEOS::DaridonEOS(int selector) : TermCubic(kPengRobinson, selector, 0, "Daridon EOS") {
    // The published five-digit constants, with which the binary parameters were fitted.
    OmegaA = kMontelConstants.OmegaA;
    OmegaB = kMontelConstants.OmegaB;
    setInteraction(0, new VdWr1());
    setInteraction(1, new DaridonInt());
    setIdealTerm(new Standard());
    Vl0 = 4e-5;
    Vv0 = 0.04;
}

void DaridonEOS::read_component_data(int i, const char* name) {
    if (!validComponent(i, "read_component_data")) return;
    const std::string s = name ? name : "";
    const bool misplaced = (i == 0) != (s == "H2O");
    if (misplaced) {
        if (i == 0)
            vornex::cfprintf(stderr,
                         "H2O must be the first component. Here the first component is %s.\n",
                         s.c_str());
        else
            vornex::cfprintf(stderr,
                         "H2O must be the first component. Here H2O is the %dth component.\n", i);
    }
    readFile(i, name, "File %s not found\n");
    if (misplaced) {
        // The water-gas functions would act on the wrong components.
        componentReady[static_cast<size_t>(i)] = 0;
        error = 1;
    }
    if (i == nc - 1) componentsRead();
    if (ideal) static_cast<Ideal*>(ideal)->read_component_data(componentFileName(name).c_str());
}

void DaridonEOS::giveConstants(int i) {
    const auto u = static_cast<size_t>(i);
    const double w = omega[u];
    const double m = w >= 0.4 ? 0.212 + 2.2 * w - 0.831 * w * w : 0.418 + 1.58 * w - 0.58 * w * w;
    const double b = OmegaB * R * Tc[u] / Pc[u];
    daridon()->set_parametersx(i, OmegaA * R * R * Tc[u] * Tc[u] / Pc[u], m, Tc[u], b);
    repulsion()->set_covolume(i, b);
}

void DaridonEOS::read_BIP() {
    for (int i = 1; i < nc; ++i) {
        const std::string& name = componentName[static_cast<size_t>(i)];
        bool known = false;
        const DaridonRow& row = daridonRow(name, known);
        if (!known)
            vornex::cfprintf(stderr, "Component %s not caracterized for the Daridon EOS\n",
                         name.c_str());
        daridon()->set_binary_parameters(i, row.k, row.beta0, row.beta1, row.beta2, row.gamma);
    }
}

void DaridonEOS::calculateTheUpperIsotherm(double TK, const char* suffix) {
    pressure(5000.0);
    const std::string file = withSuffix("isot", suffix);
    calculate_an_isotherm_of_the_binary_system(file.c_str(), 0, 0.005, -1.0, 100000.0, TK, 2.5e-5,
                                               3.5e-5, 0.08, 0.88, 1, suffix ? suffix : "");
}

void DaridonEOS::calculateTheIsopleth2(const char* suffix, double T0, double x1, double T1) {
    if (nc != 2 || !(x1 >= 0.0 && x1 <= 1.0) || !std::isfinite(T0) || !std::isfinite(T1)) {
        vornex::cfprintf(stderr, "%s: isopleth needs two components, 0 <= x1 <= 1 and finite T\n",
                     modelName.c_str());
        error = 1;
        return;
    }
    const std::string file = withSuffix("isop", suffix);
    set_the_phase_as(2);
    DaridonEOS vapour(1);
    if (systemCode != 0) vapour.setSystemCode(systemCode);
    vapour.number_of_components(nc);
    for (int i = 0; i < nc; ++i)
        vapour.add_component(componentName[static_cast<size_t>(i)].c_str());
    IFP equilibrium(*this, vapour);
    equilibrium.number_of_components(nc);
    for (int i = 0; i < nc; ++i)
        equilibrium.add_component(componentName[static_cast<size_t>(i)].c_str());
    composition(1.0 - x1, x1);
    vapour.composition(0.012, 0.988);
    Vl0 = vapour.Vl0 = 2.33e-5;
    Vv0 = vapour.Vv0 = 5.92e-5;
    // The tracer starts from this state rather than from Raoult's law, which water's
    // vapour pressure above its critical point does not serve.
    for (VLEPoint* p : {&equilibrium.trial, &equilibrium.last}) {
        p->T = T0;
        p->P = 8e7;
        p->x = x;
        p->y = vapour.x;
        p->Vl = Vl0;
        p->Vv = Vv0;
    }
    equilibrium.current.T = T0;
    equilibrium.current.P = 8e7;
    equilibrium.current.x = x;
    equilibrium.current.y = vapour.x;
    equilibrium.tracerInitFlag = 0;
    equilibrium.bulk_composition(1.0 - x1, x1);
    equilibrium.status = 0;
    OutputFile out;
    if (!OutputFiles::checkSuffix(suffix ? suffix : "") || !out.open(file)) {
        error = 1;
        return;
    }
    equilibrium.calculate_an_isopleth(T0, 0.0, out.stream(), suffix ? suffix : "", Tlowest,
                                      1300.0, T1, 100000.0, 0, 1, nullptr);
    // The tracer ends every curve it wrote with status 1 (at the end of its range, at the
    // critical point, where a third phase appears, said); only a curve without a start
    // (status 3) is no curve, and it leaves no file.
    if (equilibrium.status == 3) {
        out.abandon();
        error = 1;
        return;
    }
    if (!out.commit()) error = 1;
}

}  // namespace vornex

#include "cubic/HCubic.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;

// The same jets with every slope dropped: a quantity held while another variable moves.
Jet held(const Jet& j) {
    return jetConstant(j);
}
std::vector<Jet> held(const std::vector<Jet>& js) {
    std::vector<Jet> out(js.size());
    for (size_t i = 0; i < js.size(); ++i) out[i] = jetConstant(js[i]);
    return out;
}
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
    if (!resizesTo(n)) return;
    CubicBase::number_of_components(n);
    for (auto* v :
         {&m, &Tc, &Pc, &omega, &ac, &bc, &cc, &a, &b, &c, &Ai, &Bi, &Ci, &Abar, &abarDim})
        v->assign(static_cast<size_t>(n), 0.0);
    for (auto* v : {&aJ, &bJ, &abarJ}) v->assign(static_cast<size_t>(n), Jet{});
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
    const Jet t = jetVariable(T);
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const Jet s = 1.0 + m[u] * (1.0 - sqrt(t / Tc[u]));
        aJ[u] = ac[u] * s * s;
        bJ[u] = Jet{bc[u]};
        a[u] = aJ[u].v;
        b[u] = bc[u];
        c[u] = cc[u];
    }
}

void HCubic::mix(const std::vector<Jet>& xs, const std::vector<Jet>& as,
                 const std::vector<Jet>& bs, Mixture& out) const {
    const auto n = static_cast<size_t>(nc);
    out.a = out.b = out.c = Jet{};
    out.abar.assign(n, Jet{});
    out.share.resize(n);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j)
            out.abar[i] = out.abar[i] + xs[j] * (1.0 - kaij[i * n + j]) * sqrt(as[i] * as[j]);
        out.a = out.a + xs[i] * out.abar[i];
        out.b = out.b + xs[i] * bs[i];
        out.c = out.c + xs[i] * c[i];
    }
    for (size_t i = 0; i < n; ++i) out.share[i] = 2.0 * out.abar[i] / out.a;
}

void HCubic::calculate_mixing_parameters() {
    std::vector<Jet> xs(x.size());
    for (size_t i = 0; i < x.size(); ++i) xs[i] = Jet{x[i]};
    mix(xs, aJ, bJ, alongT_);
    amixJ = alongT_.a;
    bmixJ = alongT_.b;
    cmix = alongT_.c.v;
    abarJ = alongT_.abar;
    for (int i = 0; i < nc; ++i) abarDim[static_cast<size_t>(i)] = abarJ[static_cast<size_t>(i)].v;
    amix = amixJ.v;
    bmix = bmixJ.v;
    scaleMixture();
}

HCubic::Mixture HCubic::heldMixture() const {
    Mixture m = alongT_;
    m.a = held(m.a);
    m.b = held(m.b);
    m.c = held(m.c);
    m.abar = held(m.abar);
    m.share = held(m.share);
    m.localSum = held(m.localSum);
    m.localWeight = held(m.localWeight);
    return m;
}

bool HCubic::currentShape(CubicShape& shape) const {
    if (!(bmix > 0.0)) return false;
    // V^2 + (b + c) V - b c = (V - d1 b)(V - d2 b): d1 + d2 = -(1 + c/b), d1 d2 = -c/b.
    const double g = cmix / bmix, s = 1.0 + g, root = std::sqrt(s * s + 4.0 * g);
    shape = {amix, bmix, 0.5 * (-s + root), 0.5 * (-s - root), 0.0};
    return std::isfinite(root);
}

bool HCubic::pressureAndSlopeAt(double Vm3, double& Pcalc) {
    return isothermPoint(Vm3, Pcalc, [this](double v, std::pair<double, double>& at) {
        if (!(v > bmix)) return false;
        const Jet p = pressureJet(Jet{T}, jetVariable(v), heldMixture());
        at = {p.v, p.d};
        return true;
    });
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

Jet HCubic::pressureJet(const Jet& TK, const Jet& Vm3, const Mixture& m) const {
    return R * TK / (Vm3 - m.b) - m.a / (Vm3 * Vm3 + (m.b + m.c) * Vm3 - m.b * m.c);
}

bool HCubic::pressureAtVolume() {
    // Each evaluation at a state raises the flag for itself.
    error = 0;
    if (!prepareStateAtVolume() || !aboveCovolume(V, bmix)) return false;
    const Jet alongT = pressureJet(jetVariable(T), Jet{V}, alongT_);
    const Jet alongV = pressureJet(Jet{T}, jetVariable(V), heldMixture());
    P = atRoot() ? root_.P : alongT.v;
    dPdT = alongT.d;
    dPdV = alongV.d;
    Z = P * V / (R * T);
    dZdV = (P + V * dPdV) / (R * T);
    dZdT = V * (dPdT - P / T) / (R * T);
    dZdP = dZdV / dPdV;
    dVdT = -dPdT / dPdV;
    dVdP = 1.0 / dPdV;
    scaleMixture();  // A, B, C at the new pressure
    return true;
}

bool HCubic::resolve_cubic_equation_in_Z() {
    double g[4] = {(B * C + C - A) * B, A - 2.0 * B * C - B - C - B * B, C - 1.0, 1.0};
    double Zroot = 0.0;
    if (!takeRoot(rootsAbove(g, B), Zroot)) return false;
    Z = Zroot;
    const double Vroot = polishedVolume(Z * R * T / P, P, bmix, [this](double v) {
        const Jet p = pressureJet(Jet{T}, jetVariable(v), heldMixture());
        return std::pair<double, double>{p.v, p.d};
    });
    volume(Vroot);
    root_ = {T, amix, bmix, cmix, Vroot, P};
    return true;
}

bool HCubic::atRoot() const {
    return T == root_.T && amix == root_.a && bmix == root_.b && cmix == root_.c &&
           V == root_.V && root_.P > 0.0;
}

void HCubic::calculate_molar_volume() {
    if (!prepareVolumeSearch() || !resolve_cubic_equation_in_Z()) return;
    calculateBulkMolarWeight();
    calculate_fugacities();
}

void HCubic::lnPhiJets(const Jet& TK, const Jet& Vm3, const Mixture& m,
                       const std::vector<Jet>& bs, std::vector<Jet>& out) const {
    Jet p = pressureJet(TK, Vm3, m);
    // At the volume solved for a given pressure, that pressure is the state's.
    if (TK.v == T && Vm3.v == V && atRoot()) p.v = root_.P;
    const Jet RT = R * TK;
    const Jet A_ = m.a * p / (RT * RT), B_ = m.b * p / RT, C_ = m.c * p / RT;
    const Jet Z_ = p * Vm3 / RT;
    const Jet D = sqrt(B_ * B_ + 6.0 * B_ * C_ + C_ * C_);
    const Jet L = log((2.0 * Z_ + B_ + C_ + D) / (2.0 * Z_ + B_ + C_ - D));
    const Jet ZB = Z_ - B_;
    out.resize(static_cast<size_t>(nc));
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const Jet Bi_ = bs[u] * p / RT, Ci_ = c[u] * p / RT;
        const Jet delta = ((3.0 * C_ + B_) * Bi_ + (C_ + 3.0 * B_) * Ci_) / (D * D);
        const Jet& q = m.share[u];
        out[u] = -log(ZB) - (q - delta) * (A_ / D) * L + Bi_ / ZB +
                 (1.0 / ZB - 1.0) * (0.5 * (Bi_ + Ci_ - (B_ + C_) * delta) - delta * Z_);
    }
}

void HCubic::calculate_fugacities() {
    if (!pressureAtVolume()) return;
    const auto n = static_cast<size_t>(nc);
    std::vector<Jet> alongT, alongV;
    const std::vector<Jet> heldA = held(aJ), heldB = held(bJ);
    lnPhiJets(jetVariable(T), Jet{V}, alongT_, bJ, alongT);
    lnPhiJets(Jet{T}, jetVariable(V), heldMixture(), heldB, alongV);
    // Along each mole fraction at constant T and V, the mixing rule's own slopes; at
    // constant P the volume moves by dV/dx_j = -(dP/dx_j)/(dP/dV).
    std::vector<Jet> xs(n);
    for (size_t i = 0; i < n; ++i) xs[i] = Jet{x[i]};
    std::vector<std::vector<Jet>> alongX(n);
    for (size_t j = 0; j < n; ++j) {
        xs[j] = jetVariable(x[j]);
        Mixture m;
        mix(xs, heldA, heldB, m);
        xs[j] = Jet{x[j]};
        dPdx[j] = pressureJet(Jet{T}, Jet{V}, m).d;
        dVdx[j] = -dPdx[j] / dPdV;
        dZdx[j] = dPdx[j] * V / (R * T);
        lnPhiJets(Jet{T}, Jet{V}, m, heldB, alongX[j]);
    }
    amountDerivativesFromMoleFractions();
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        lnPhi[u] = alongT[u].v;
        const double phi = std::exp(lnPhi[u]);
        fugacityCoefficient[u] = phi;
        fugacity[u] = x[u] * P * phi;
        lnFugacity[u] = std::log(x[u] * P) + lnPhi[u];
        // Slopes at constant V from the jets, at constant P through dV/dT and dV/dP.
        const double byV = alongV[u].d;
        const double byTatP = alongT[u].d + byV * dVdT, byPatT = byV * dVdP;
        dlnfdT[u] = byTatP;
        dlnfdP[u] = 1.0 / P + byPatT;
        dfdT[u] = fugacity[u] * dlnfdT[u];
        dfdP[u] = fugacity[u] * dlnfdP[u];
        dfdV[u] = dfdP[u] * dPdV;
        dphidT[u] = phi * alongT[u].d;
        dphidP[u] = phi * byPatT;
        dphidV[u] = phi * byV;
        for (size_t j = 0; j < n; ++j) {
            const double byXatV = alongX[j][u].d, byX = byXatV + byV * dVdx[j];
            const bool own = j == u;
            dlnfdx[u][j] = byX + (own ? 1.0 / x[u] : 0.0);
            dfdx[u][j] = fugacity[u] * byX + (own ? P * phi : 0.0);
            dphidx[u][j] = phi * byXatV;
        }
    }
}

double HCubic::calculate_state_functions() {
    if (!pressureAtVolume()) return P;
    const Jet t = jetVariable(T);
    const Jet D = sqrt(bmixJ * bmixJ + 6.0 * cmix * bmixJ + cmix * cmix);
    const Jet s = 2.0 * V + bmixJ + cmix;
    // The residual against the ideal gas at the same T and V; ln Z moves it to the same P.
    const Jet Ar = -R * t * log(1.0 - bmixJ / V) - amixJ / D * log((s + D) / (s - D));
    const double RT = R * T, lnZ = std::log(Z);
    const double Sr = -Ar.d;
    CvResidual = -T * Ar.dd;
    Ares = Ar.v - RT * lnZ;
    Sres = Sr + R * lnZ;
    U = Ar.v + T * Sr;
    Hres = U + P * V - RT;
    Gres = Hres - T * Sres;
    H = Hres;
    S = Sres;
    G = Gres;
    Phase::A = Ares;  // A alone is the cubic's a P/(RT)^2
    CpResidual = CvResidual - T * dPdT * dPdT / dPdV - R;
    // Residual functions only: no heat capacity of the ideal gas, hence no heat capacity of
    // the fluid, no Joule-Thomson coefficient and no sound speed.
    Cv = Cp = jouleThomson = soundSpeed = std::numeric_limits<double>::quiet_NaN();
    rho = M / V;
    return P;
}

double HCubic::equation(double TK, void*) {
    return parametersAt(TK) ? amix / (bmix * R * TK) - OmegaA / OmegaB : 0.0;
}

void HCubic::calculate_the_pseudo_critical_point(double& Tcrit, double& Pcrit, double& Vcrit) {
    criticalSolver.x0 = 100.0;
    criticalSolver.x1 = 150.0;
    searchPseudoCriticalPoint(
        criticalSolver, Tcrit, Pcrit, Vcrit,
        [this](double T, double& P, double& V) { criticalValuesAt(T, P, V); });
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
    if (!resizesTo(n)) return;
    HCubic::number_of_components(n);
    for (auto* v : {&Vc, &nn, &mb, &teta, &Tsum, &Ssum}) v->assign(static_cast<size_t>(n), 0.0);
    Lij.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 1.0);
}

void Heyen::componentsStartAfresh() {
    ThreePar::componentsStartAfresh();
    Lij.assign(static_cast<size_t>(nc) * static_cast<size_t>(nc), 1.0);
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
    vornex::cfprintf(stderr, "Heyen: critical compressibility %lg of %s refused\n", zeta,
                 componentName[static_cast<size_t>(i)].c_str());
    componentReady[static_cast<size_t>(i)] = 0;
    error = 1;
    return false;
}

void Heyen::calculate_parameters_of_pure_components() {
    const Jet t = jetVariable(T);
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const Jet Tr = t / Tc[u];
        aJ[u] = ac[u] * exp(m[u] * (1.0 - pow(Tr, nn[u])));
        bJ[u] = bc[u] * (1.0 + mb[u] * tanh(-0.5 * teta[u] * (Tr - 1.0)));
        a[u] = aJ[u].v;
        b[u] = bJ[u].v;
        c[u] = cc[u];
    }
}

void Heyen::mix(const std::vector<Jet>& xs, const std::vector<Jet>& as,
                const std::vector<Jet>& bs, Mixture& out) const {
    const auto n = static_cast<size_t>(nc);
    auto pair = [&](size_t i, size_t j) { return (1.0 - kaij[i * n + j]) * sqrt(as[i] * as[j]); };
    out.a = out.b = out.c = Jet{};
    out.localSum.assign(n, Jet{});
    out.localWeight.assign(n, Jet{});
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j) {
            out.localWeight[i] = out.localWeight[i] + xs[j] * Lij[i * n + j];
            out.localSum[i] = out.localSum[i] + xs[j] * Lij[i * n + j] * pair(i, j);
        }
        out.a = out.a + xs[i] * out.localSum[i] / out.localWeight[i];
        out.b = out.b + xs[i] * bs[i];
        out.c = out.c + xs[i] * c[i];
    }
    out.abar.assign(n, Jet{});
    out.share.resize(n);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j)
            out.abar[i] = out.abar[i] + xs[j] * (Lij[j * n + i] / out.localWeight[j]) *
                                            (pair(i, j) - out.localSum[j] / out.localWeight[j]);
        out.share[i] = 1.0 + (out.localSum[i] / out.localWeight[i] + out.abar[i]) / out.a;
    }
}

void Heyen::calculate_mixing_parameters() {
    HCubic::calculate_mixing_parameters();
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        Tsum[u] = alongT_.localSum[u].v;
        Ssum[u] = alongT_.localWeight[u].v;
    }
}

void Heyen::set_local_composition_parameter(int i, int j, double L) {
    if (!validComponent(i, "set_local_composition_parameter") ||
        !validComponent(j, "set_local_composition_parameter"))
        return;
    if (!positiveFinite(L)) {
        vornex::cfprintf(stderr, "Heyen: local-composition parameter %lg refused\n", L);
        return;
    }
    Lij[static_cast<size_t>(i * nc + j)] = L;
}

bool HCubic::componentCriticalConstants(int i, double& TcK, double& PcPa, double& omegaValue) {
    return criticalConstantsOf(i, Tc, Pc, omega, TcK, PcPa, omegaValue);
}

}  // namespace vornex

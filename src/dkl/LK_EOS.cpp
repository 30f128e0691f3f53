#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "dkl/LeeKessler.h"
#include "numerics/Decimal.h"
#include "fluid/ComponentFile.h"
#include "fluid/Ideal.h"
#include "numerics/ConsoleInput.h"
#include "numerics/DataPath.h"
#include "numerics/FileReader.h"

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Longest component name the data paths take ("compo/" + name stays below 127 characters).
constexpr size_t kLongestName = 120;
constexpr char kBIPFile[] = "LK.BIP";

// Critical compressibility of the method, Zc = 0.2905 - 0.085 omega.
double criticalZ(double omega) {
    return 0.2905 - 0.085 * omega;
}

using Table = std::vector<std::vector<double>>;

}  // namespace

LK_EOS::LK_EOS(int phase_)
    : LK_EOS(phase_, new BWR_EOS(kLeeKesslerSimple), new BWR_EOS(kLeeKesslerReference), 0.0,
             kLeeKesslerReferenceOmega) {
    tau = 100.0;
}

LK_EOS::LK_EOS(int phase_, FluidPhase* simpleFluid, FluidPhase* referenceFluid, double omegaS,
               double omegaRef)
    : FluidPhase(0, phase_, 0),
      simple(simpleFluid),
      reference(referenceFluid),
      omega0(omegaS),
      omegaR(omegaRef),
      tau(0.0) {
    setModelName("Lee-Kessler EOS");
    setIdealTerm(new Standard);
}

LK_EOS::~LK_EOS() = default;

void LK_EOS::number_of_components(int count) {
    // The count it has, given again, keeps the constants read unless names follow.
    const bool standing = count == nc && !componentCountRefused();
    FluidPhase::number_of_components(count);
    if (nc < 1 || standing) return;
    clearComponentData();
}

void LK_EOS::clearComponentData() {
    const auto n = static_cast<size_t>(nc);
    Tc.assign(n, kNaN);
    Pc.assign(n, kNaN);
    omega.assign(n, kNaN);
    for (Table* t : {&zetaT, &zetaV, &zetaT_hi, &zetaV_hi, &zetaT_lo, &zetaV_lo})
        t->assign(n, std::vector<double>(n, 0.0));
}

void LK_EOS::read_component_data(int index, const char* name) {
    if (!validComponent(index, "read_component_data") || name == nullptr) return;
    // Names given again start the set-up afresh: nothing of the components read before (their
    // constants, their pairs' parameters) is kept.
    if (index == 0) clearComponentData();
    if (std::strlen(name) > kLongestName) {
        vornex::cfprintf(stderr, "LK_EOS: component name longer than %zu characters\n", kLongestName);
        error = 1;
        return;
    }
    const std::string relative = std::string("compo/") + name;
    ComponentFile file(relative);
    if (!file.isOpen()) {
        vornex::cfprintf(stderr, "Cannot find %s file !\n", relative.c_str());
        error = 1;
        return;
    }
    const auto i = static_cast<size_t>(index);
    std::string word;
    while (file.nextToken(word)) {
        double* target = word == "Tc"      ? &Tc[i]
                         : word == "Pc"    ? &Pc[i]
                         : word == "omega" ? &omega[i]
                                           : nullptr;
        if (target && !file.nextNumber(*target)) {
            vornex::cfprintf(stderr, "%s: the value after %s is not a number\n", file.path().c_str(),
                         word.c_str());
            *target = kNaN;
        }
    }
    if (!(Tc[i] > 0.0) || !(Pc[i] > 0.0) || std::isnan(omega[i])) {
        vornex::cfprintf(stderr, "%s: Tc, Pc or omega is missing\n", file.path().c_str());
        error = 1;
    }
    // The ideal gas of the whole state functions, from the standard-state table.
    if (auto* gas = dynamic_cast<Ideal*>(ideal)) gas->read_component_data(name);
    if (index == nc - 1) read_BIP();
}

void LK_EOS::read_BIP() {
    const std::string path = findDataFile(kBIPFile);
    std::string text;
    const FileRead read = readDataFile(kBIPFile, kComponentFileLimit, text);
    if (read.status != FileReadStatus::Ok && read.status != FileReadStatus::NotFound)
        vornex::cfprintf(stderr, "%s\n", read.message.c_str());
    FILE* f = read ? ::fmemopen(text.data(), text.size(), "r") : nullptr;
    if (f == nullptr) {
        static std::atomic<bool> said{false};
        if (!said.exchange(true))
            vornex::cfprintf(stderr, "No %s file: no binary interaction parameters\n", kBIPFile);
        return;
    }
    // Each pair line whole: two names and four finite deviations from the mixing rule
    // (|zeta| < 1, the rule's 1 - zeta stays positive). A line that is not is said with the
    // file and the line, and its pair keeps the plain mixing rule.
    char line[256];
    int lineNumber = 0;
    while (std::fgets(line, sizeof line, f)) {
        ++lineNumber;
        if (std::strchr(line, '\n') == nullptr && !std::feof(f)) {
            // An overlong line is no record; the rest of it is dropped.
            vornex::cfprintf(stderr, "%s: line %d longer than %zu characters skipped\n", path.c_str(),
                         lineNumber, sizeof line - 2);
            int c;
            while ((c = std::fgetc(f)) != EOF && c != '\n') {
            }
            continue;
        }
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string w; fields >> w;) words.push_back(w);
        if (words.empty() || words[0][0] == '#') continue;
        std::string why;
        double v[4] = {0.0, 0.0, 0.0, 0.0};
        if (words.size() != 6) {
            why = "holds " + std::to_string(words.size()) +
                  " words, not two names and four numbers";
        } else {
            for (int k = 0; k < 4 && why.empty(); ++k) {
                const std::string& w = words[static_cast<size_t>(k + 2)];
                if (const char* refused = numberRefusal(w.c_str(), v[k]))
                    why = "\"" + w.substr(0, 40) + "\" " + refused;
                else if (!(std::fabs(v[k]) < 1.0))
                    why = "\"" + w + "\" lies outside -1 ... 1";
            }
        }
        if (!why.empty()) {
            vornex::cfprintf(stderr,
                         "%s: line %d %s; the line is not used (its pair keeps the plain mixing "
                         "rule)\n",
                         path.c_str(), lineNumber, why.c_str());
            continue;
        }
        const std::string& name1 = words[0];
        const std::string& name2 = words[1];
        for (int i = 0; i < nc; ++i) {
            if (componentName[static_cast<size_t>(i)] != name1) continue;
            for (int j = 0; j < nc; ++j) {
                if (componentName[static_cast<size_t>(j)] != name2) continue;
                for (auto [a, b] : {std::pair{i, j}, std::pair{j, i}}) {
                    zetaT_hi[a][b] = v[0];
                    zetaT_lo[a][b] = v[1];
                    zetaV_hi[a][b] = v[2];
                    zetaV_lo[a][b] = v[3];
                }
            }
        }
    }
    std::fclose(f);
}

void LK_EOS::set_binary_interaction_dzetaij(int i, int j, double zT, double zV) {
    if (i < 0 || j < 0 || i >= nc || j >= nc) return;
    // The mixing sums run over ordered pairs: both orders carry the pair's values.
    zetaT_lo[i][j] = zetaT_lo[j][i] = zT;
    zetaV_lo[i][j] = zetaV_lo[j][i] = zV;
}

void LK_EOS::set_binary_interaction_dzeta_parameters(double first, ...) {
    const int pairs = nc * (nc - 1) / 2;
    if (pairs < 1) return;
    va_list args;
    va_start(args, first);
    const std::vector<double> v = variadicDoubles(first, args, 2 * pairs);
    va_end(args);
    size_t k = 0;
    for (int i = 0; i < nc; ++i)
        for (int j = i + 1; j < nc; ++j, k += 2)
            set_binary_interaction_dzetaij(i, j, v[k], v[k + 1]);
}

void LK_EOS::calculate_the_pseudo_critical_parameters() {
    const double w = tau < 1.05 ? 1.0 : std::exp(-0.5 * (1.05 - tau) * (1.05 - tau));
    omegaMix = 0.0;
    std::vector<double> cbrtVc(static_cast<size_t>(nc));
    for (int i = 0; i < nc; ++i) {
        omegaMix += x[i] * omega[i];
        cbrtVc[i] = std::cbrt(criticalZ(omega[i]) * kGasConstant * Tc[i] / Pc[i]);
    }
    double sumV = 0.0, sumT = 0.0;
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j < nc; ++j) {
            zetaT[i][j] = w * zetaT_lo[i][j] + (1.0 - w) * zetaT_hi[i][j];
            zetaV[i][j] = w * zetaV_lo[i][j] + (1.0 - w) * zetaV_hi[i][j];
            const double s = cbrtVc[i] + cbrtVc[j];
            const double qij = x[i] * x[j] * s * s * s * (1.0 - zetaV[i][j]);
            sumV += qij;
            sumT += qij * std::sqrt(Tc[i] * Tc[j]) * (1.0 - zetaT[i][j]);
        }
    VcMix = sumV / 8.0;
    TcMix = sumT / (8.0 * VcMix);
    PcMix = criticalZ(omegaMix) * kGasConstant * TcMix / VcMix;
}

bool LK_EOS::haveConstants() {
    if (nc < 1 || Tc.size() != static_cast<size_t>(nc)) return false;
    for (int i = 0; i < nc; ++i)
        if (!(Tc[i] > 0.0) || !(Pc[i] > 0.0) || std::isnan(omega[i])) return false;
    return simple && reference;
}

void LK_EOS::calculate_molar_volume() {
    error = 0;
    stateComputed = 0;
    if (!haveConstants()) {
        vornex::cfprintf(stderr,
                     "LK_EOS: the critical constants of the components are not all known\n");
        error = 1;
        return;
    }
    if (!(T > 0.0) || !(P > 0.0) || !std::isfinite(T) || !std::isfinite(P)) {
        error = 1;
        return;
    }
    Departures d;
    if (!blendedDepartures(d)) {
        error = 1;
        return;
    }
    // (dP/dV)_T of the blend, from its volumes at pressures a part in 1e6 apart on the
    // same branches: what tells a stable root from an unstable one.
    const double P0 = P;
    Departures below, above;
    P = P0 * (1.0 - 1e-6);
    const bool lower = blendedDepartures(below);
    P = P0 * (1.0 + 1e-6);
    const bool upper = blendedDepartures(above);
    P = P0;
    calculate_the_pseudo_critical_parameters();
    dPdV = lower && upper && above.V != below.V ? 2e-6 * P0 / (above.V - below.V)
                                                : std::numeric_limits<double>::quiet_NaN();
    Z = d.Z;
    V = d.V;
    stateComputed = 1;
}

void LK_EOS::describe() {
    calculate_molar_volume();
}

bool LK_EOS::blendedDepartures(Departures& d) {
    calculate_the_pseudo_critical_parameters();
    const double y = (omegaMix - omega0) / (omegaR - omega0);
    double v[2][6];
    int k = 0;
    for (FluidPhase* f : {simple.get(), reference.get()}) {
        f->set_the_phase_as(phase);
        f->temperature(T / TcMix);
        f->pressure(P / PcMix);
        f->describe();
        if (f->error != 0) return false;
        // The reference fluids hold Tr ln phi in G, the other departures as the header says.
        const double row[6] = {f->Z, f->V, f->H, f->S, f->G / f->T, f->Cp};
        for (int j = 0; j < 6; ++j) v[k][j] = row[j];
        ++k;
    }
    auto blend = [&](int j) { return (1.0 - y) * v[0][j] + y * v[1][j]; };
    d.Z = blend(0);
    d.V = blend(1) * kGasConstant * TcMix / PcMix;
    d.H = blend(2) * kGasConstant * TcMix;
    d.S = blend(3) * kGasConstant;
    d.lnPhi = blend(4);
    d.Cp = blend(5) * kGasConstant;
    return std::isfinite(d.Z) && std::isfinite(d.V) && std::isfinite(d.H) && std::isfinite(d.S) &&
           std::isfinite(d.lnPhi) && std::isfinite(d.Cp);
}

bool LK_EOS::stateKnown() {
    if (stateComputed) return true;
    // The model is explicit in neither P nor V: only a state solved from (T, P) is one.
    vornex::cfprintf(stderr, "%s: the state is computed from T and P only\n", modelName.c_str());
    error = 1;
    return false;
}

double LK_EOS::calculate_pressure() {
    if (!stateKnown()) return std::numeric_limits<double>::quiet_NaN();
    return P;
}

double LK_EOS::calculate_state_functions() {
    if (!stateKnown()) return std::numeric_limits<double>::quiet_NaN();
    Departures d;
    if (!blendedDepartures(d)) {
        error = 1;
        return P;
    }
    Hres = d.H;
    Sres = d.S;
    Gres = d.H - T * d.S;
    Ares = Gres - (P * V - kGasConstant * T);
    rho = M / V;
    // The ideal gas at the same T and P, at its own volume R T / P.
    Interaction* gas = ideal;
    if (gas == nullptr || gas->root == nullptr) {
        error = 1;
        return P;
    }
    // A component without its standard-state record has no ideal-gas heat capacity,
    // enthalpy or entropy: the whole state functions of a mixture holding it are unknown.
    auto* standard = dynamic_cast<Standard*>(gas);
    if (standard != nullptr) {
        for (int i = 0; i < nc; ++i) standard->x[static_cast<size_t>(i)] = x[static_cast<size_t>(i)];
        const int missing = standard->missingComponent();
        if (missing >= 0) {
            vornex::cfprintf(stderr,
                             "%s: no ideal-gas data for %s in compo/standard.txt: no enthalpy, "
                             "entropy or heat capacity\n",
                             modelName.c_str(), componentName[static_cast<size_t>(missing)].c_str());
            H = S = G = U = A = Cp = Cv = soundSpeed = std::numeric_limits<double>::quiet_NaN();
            error = 1;
            return P;
        }
    }
    gas->T = T;
    gas->V = kGasConstant * T / P;
    for (int i = 0; i < nc; ++i) gas->x[static_cast<size_t>(i)] = x[static_cast<size_t>(i)];
    gas->fugacityFlag = 0;
    gas->calculate_state_functions();
    if (gas->error != 0) {
        error = 1;
        return P;
    }
    const double R = kGasConstant, RT = R * T;
    // The ideal term leaves its -ln V to the residual terms, which this model does not have:
    // it is added here, at the ideal gas's own volume.
    const double a = gas->table[Deriv::a] - std::log(gas->V), aT = gas->table[Deriv::a_T];
    const double aTT = gas->table[Deriv::a_TT];
    const double Uig = -RT * T * aT, Sig = (Uig - RT * a) / T;
    const double CvIg = -2 * RT * aT - RT * T * aTT;
    H = Uig + RT + Hres;
    S = Sig + Sres;
    G = H - T * S;
    U = H - P * V;
    A = U - T * S;
    addIdealMixingToStateFunctions();
    Cp = CvIg + R + d.Cp;
    // Cv and the sound speed need (dP/dT)_V of the blend, which the method does not give.
    Cv = std::numeric_limits<double>::quiet_NaN();
    soundSpeed = std::numeric_limits<double>::quiet_NaN();
    return P;
}

void LK_EOS::calculateFugacityAlongVolume() {
    if (!stateKnown()) return;
    error = 0;
    calculate_fugacities();
}

void LK_EOS::calculate_fugacities() {
    if (!stateKnown()) return;
    Departures d;
    if (!blendedDepartures(d)) {
        error = 1;
        return;
    }
    // ln phi_i = d(n g)/dn_i with g = G_res/(R T) of the pseudo-pure fluid: g plus its slopes in
    // the fractions, taken by central differences through the mixing rules.
    std::vector<double> slope(static_cast<size_t>(nc), 0.0);
    if (nc > 1) {
        const std::vector<double> x0 = x;
        for (int j = 0; j < nc && error == 0; ++j) {
            const auto u = static_cast<size_t>(j);
            const double h = 1e-5;
            double g[2];
            for (int side = 0; side < 2; ++side) {
                x[u] = x0[u] + (side == 0 ? -h : h);
                Departures e;
                if (!blendedDepartures(e)) error = 1;
                g[side] = e.lnPhi;
            }
            x[u] = x0[u];
            slope[u] = (g[1] - g[0]) / (2 * h);
        }
        x = x0;
        calculate_the_pseudo_critical_parameters();
        if (error != 0) return;
    }
    double xSlope = 0.0;
    for (int j = 0; j < nc; ++j) xSlope += x[static_cast<size_t>(j)] * slope[static_cast<size_t>(j)];
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        lnPhi[u] = d.lnPhi + slope[u] - xSlope;
        fugacityCoefficient[u] = std::exp(lnPhi[u]);
        fugacity[u] = x[u] * P * fugacityCoefficient[u];
        lnFugacity[u] = std::log(x[u] * P) + lnPhi[u];
    }
    rho = M / V;
}

}  // namespace vornex

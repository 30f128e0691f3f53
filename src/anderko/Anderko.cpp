// The Anderko model: its terms, its component systems and its registration in the factory.
#include "anderko/Anderko.h"
#include "numerics/Decimal.h"

#include <cstdio>

#include "anderko/AnderkoDispersion.h"
#include "anderko/AnderkoH2O.h"
#include "anderko/Boublik.h"
#include "anderko/Dipole.h"
#include "fluid/ModelCatalogue.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

struct Component {
    const char* name;
    double covolume;  // m3/mol
    double dipole;    // debye
    double mass;      // kg/mol
};

constexpr Component kH2O{"H2O", 2.84959143e-05, 1.85, 0.018015268};
constexpr Component kNaCl{"NaCl", 6.00124e-05, 6.4, 0.0585};
constexpr Component kKCl{"KCl", 8.1783e-05, 7.3, 0.074551};
constexpr Component kCO2{"CO2", 4.952e-05, 0.0, 0.044};
constexpr Component kCH4{"CH4", 4.4e-05, 0.0, 0.016};

constexpr double kKeep = -1.0;  // lowest curve temperature left as it is

struct System {
    int code;
    int count;
    Component components[5];
    double Tstart;   // K
    double Vstart;   // m3/mol
    double Tlowest;  // K, or kKeep
    // Codes 31 and 32 name their components, but the dispersion term has no parameters for
    // the index sets that mix all three (or five) of them.
    bool evaluable;
};

constexpr System kSystems[] = {
    {1, 1, {kH2O}, 648.6, 6.174e-05, kKeep, true},
    {2, 1, {kCO2}, 305.0, 9.4e-05, 80.0, true},
    {3, 1, {kCH4}, 190.6, 6e-05, 100.0, true},
    {4, 1, {kNaCl}, 2167.0, 0.000167, kKeep, true},
    {5, 1, {kKCl}, 2271.0, 0.000218, kKeep, true},
    {10, 2, {kH2O, kNaCl}, 648.6, 6.174e-05, kKeep, true},
    {11, 2, {kH2O, kCO2}, 648.6, 6.174e-05, 273.15, true},
    {12, 2, {kH2O, kCH4}, 648.6, 6.174e-05, 273.15, true},
    {13, 2, {kH2O, kKCl}, 648.6, 6.174e-05, kKeep, true},
    {14, 2, {kNaCl, kCO2}, 2167.0, 0.000167, kKeep, true},
    {15, 2, {kNaCl, kCH4}, 2167.0, 0.000167, kKeep, true},
    {20, 3, {kH2O, kNaCl, kCO2}, 648.6, 6.174e-05, kKeep, true},
    {21, 3, {kH2O, kNaCl, kCH4}, 648.6, 6.174e-05, 273.15, true},
    {31, 3, {kH2O, kNaCl, kKCl}, 648.6, 6.174e-05, 273.15, false},
    {32, 5, {kH2O, kNaCl, kKCl, kCO2, kCH4}, 648.6, 6.174e-05, 273.15, false},
};

// The terms' parameter setters take one argument per component (Boublik: covolumes; Dipole:
// covolumes, then moments). Only the evaluable systems reach them: one to three components.
void setBoublik(Boublik& term, const System& s) {
    const Component* c = s.components;
    switch (s.count) {
        case 1:
            term.set_parameters(c[0].covolume);
            break;
        case 2:
            term.set_parameters(c[0].covolume, c[1].covolume);
            break;
        case 3:
            term.set_parameters(c[0].covolume, c[1].covolume, c[2].covolume);
            break;
        default:
            break;
    }
}

void setDipole(Dipole& term, const System& s) {
    const Component* c = s.components;
    switch (s.count) {
        case 1:
            term.set_parameters(c[0].covolume, c[0].dipole);
            break;
        case 2:
            term.set_parameters(c[0].covolume, c[1].covolume, c[0].dipole, c[1].dipole);
            break;
        case 3:
            term.set_parameters(c[0].covolume, c[1].covolume, c[2].covolume, c[0].dipole,
                                c[1].dipole, c[2].dipole);
            break;
        default:
            break;
    }
}

}  // namespace

Anderko::Anderko(int phase) : WaterEOS(3, phase, 0) {
    setInteraction(0, new Boublik());
    setInteraction(1, new Dipole());
    setInteraction(2, new AnderkoDispersion());
    setIdealTerm(nullptr);
    Vl = 2e-05;
    Vv = 0.0002;
    Tcrit = 648.6;
    Vcrit = 6.174e-05;
}

Anderko::~Anderko() {
    delete vapourModel;
    vapourModel = nullptr;
    delete solver;
    solver = nullptr;
}

void Anderko::setSystemCode(char code) {
    systemCode = static_cast<int8_t>(code);
    auto* dispersion = static_cast<AnderkoDispersion*>(interaction[2]);
    const System* system = nullptr;
    for (const System& s : kSystems)
        if (s.code == code) system = &s;
    // The dispersion term of a code it does not know, or of one whose mixing parameters are
    // incomplete, would leave its mixing graph with empty slots; it is configured only for
    // the systems it can evaluate.
    if (system != nullptr && system->evaluable) dispersion->setSystemCode(code);
    if (system == nullptr) {
        vornex::cfprintf(stderr, "Anderko system type %d not implemented\n", code);
        error = 1;
        return;
    }
    evaluable_ = system->evaluable;
    if (!evaluable_) {
        vornex::cfprintf(stderr,
                     "Anderko system type %d has no dispersion parameters for all its "
                     "components: it cannot be evaluated\n",
                     code);
        error = 1;
        return;
    }
    const int n = system->count;
    // The critical point found for naming states was the former system's.
    namingTc = -1.0;
    namingComponent = -1;
    // A new system of the same size still needs every term rebuilt (the dispersion term
    // has new nodes to tie), so the count is installed afresh.
    nc = 0;
    number_of_components(n);
    setBoublik(*static_cast<Boublik*>(interaction[0]), *system);
    setDipole(*static_cast<Dipole*>(interaction[1]), *system);
    for (int i = 0; i < n; ++i) molarMass[static_cast<size_t>(i)] = system->components[i].mass;
    Tcrit = system->Tstart;
    Vcrit = system->Vstart;
    if (system->Tlowest != kKeep) Tlowest = system->Tlowest;
    for (int i = 0; i < n; ++i) setComponent(i, system->components[i].name);
    if (n == 1) {
        M = system->components[0].mass;
    } else {
        std::vector<double> pureFirst(static_cast<size_t>(n), 0.0);
        pureFirst[0] = 1.0;
        composition(pureFirst.data());
    }
}

bool Anderko::componentCriticalEstimate(int i, double& TK, double& Vm3) {
    if (i < 0 || i >= nc || static_cast<size_t>(i) >= componentName.size()) return false;
    for (const System& s : kSystems) {
        if (s.count != 1 || componentName[static_cast<size_t>(i)] != s.components[0].name)
            continue;
        TK = s.Tstart;
        Vm3 = s.Vstart;
        return true;
    }
    return false;
}

FluidPhase::VolumeStart Anderko::volumeSearchStart(bool liquidSide) {
    const VolumeStart water = WaterEOS::volumeSearchStart(liquidSide);
    if (!liquidSide || water.liquidBranch) return water;
    // A packing fraction b/(4V) of 0.5 is denser than any liquid of the model below some
    // 10 kbar (molten NaCl near 0.45, brines and water below), so the search descends the
    // liquid branch to its root from above the pressure; a denser root is reached from
    // the other side, bracketed by the packing fraction 1. An isotherm without a liquid
    // root at the pressure ends the search at its liquid spinodal, and the vapour side is
    // solved instead.
    constexpr double kDenseStartPacking = 0.5;
    const auto& repulsion = *static_cast<const Boublik*>(interaction[0]);
    double b = 0.0;
    for (int i = 0; i < nc && i < static_cast<int>(repulsion.covolumes.size()); ++i)
        b += x[static_cast<size_t>(i)] * repulsion.covolumes[static_cast<size_t>(i)];
    if (!(b > 0.0)) return water;
    return {b / (4.0 * kDenseStartPacking), true};
}

void registerAnderkoModels() {
    for (const char* keyword : {"hnc", "hn", "hk", "hnk", "NaCl", "KCl"})
        FluidPhase::registerEOS(keyword, [] { return new Anderko(2); });
    FluidPhase::registerEOS("AnderkoH2O", [] { return new AnderkoH2O(2); });
    // The water-salt factor (0.001 T - 0.5731)^0.79026 is real only above 573.1 K; the
    // H2O-NaCl equation was fitted up to 1200 K, the H2O-KCl one up to 1000 K. Beyond that
    // the H2O-KCl cross term 2.403e-5 exp(2.371 (0.01 T - 6.177)) takes over: 50 mol % KCl at
    // 1000 bar is 1419 kg/m3 at 1000 K, 339 at 1150 K, 66.7 at 1400 K (Z 5.96).
    const PublishedRange salt{573.1, 1200.0};
    describeModel("hn", {"H2O-NaCl, Anderko-Pitzer", salt});
    describeModel("hk", {"H2O-KCl, Anderko-Pitzer", {573.1, 1000.0}});
    describeModel("hnc", {"H2O-NaCl-CH4, Anderko-Pitzer with the Duan gas terms", salt});
    describeModel("hnk",
                  {"H2O-NaCl-KCl: cannot be built (Anderko-Pitzer has no parameters for it)",
                   salt});
    // The pure salts are the salt ends of those equations, whose salt parameters were fitted
    // to the fluid salt: below its melting point (1073.8 K for NaCl, 1044 K for KCl) the salt
    // is a solid, and no fluid state is claimed there.
    describeModel("NaCl", {"pure NaCl (fluid), Anderko-Pitzer", {1073.8}});
    describeModel("KCl", {"pure KCl (fluid), Anderko-Pitzer", {1044.0}});
    // Its water is that of the H2O-salt equations, fitted to water above 573 K: at 300 K
    // and 1 bar it gives 512.6 kg/m3 for water's 996.6.
    describeModel("AnderkoH2O", {"pure water, Anderko-Pitzer", salt});
}

}  // namespace vornex

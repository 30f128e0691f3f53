#include "dkl/KreglewskiEOS.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "dkl/HCB.h"
#include "dkl/Kreglewski.h"

namespace vornex {

namespace {

// Hard-core softness of every component.
constexpr double kSoftness = 0.12;

// Kreglewski (1984) constants. Molar masses of the gases as the model has always used
// them; of the hydrocarbons from the standard atomic weights (C 12.011, H 1.008).
constexpr KreglewskiComponent kComponents[] = {
    {"CH4", 0.016, 2.1576e-05, 1.0, 190.29, 1.0, 192.0, 9.6e-05},
    {"N2", 0.02801348, 1.9457e-05, 1.0, 123.53, 3.0, 127.0, 8.6e-05},
    {"CO2", 0.044, 1.9703e-05, 1.0571, 284.28, 40.0, 304.0, 9.4e-05},
    {"H2S", 0.034, 2.0672e-05, 1.044, 373.66, 15.0, 373.0, 9.7e-05},
    {"C6", 0.086178, 7.7228e-05, 1.072, 468.33, 90.11, 0, 0},            // C6H14
    {"C7", 0.100205, 9.0404e-05, 1.0626, 465.99, 130.0, 0, 0},           // C7H16
    {"C8", 0.114232, 0.00010265, 1.0591, 479.38, 155.0, 0, 0},           // C8H18
    {"2m2m4mC5", 0.114232, 0.00010127, 1.0588, 468.62, 125.0, 0, 0},     // C8H18
    {"C10", 0.142286, 0.00011072, 1.1349, 468.62, 125.0, 0, 0},          // C10H22
    {"cb440c10", 0.138254, 0.0001022, 1.0693, 612.64, 160.0, 0, 0},      // C10H18
    {" tb440c10", 0.138254, 0.00010416, 1.0764, 609.02, 150.0, 0, 0},    // C10H18
    {"benzene", 0.078114, 5.4325e-05, 1.048, 525.12, 72.0, 0, 0},        // C6H6
    {"toluene", 0.092141, 6.5843e-05, 1.0944, 558.94, 91.0, 0, 0},       // C7H8
    {"1m2mbenzene", 0.106168, 7.7902e-05, 1.0731, 549.56, 147.0, 0, 0},  // C8H10
    {"1m3mbenzene", 0.106168, 7.8725e-05, 1.082, 538.67, 150.0, 0, 0},   // C8H10
    {"1m4mbenzene", 0.106168, 7.9403e-05, 1.0808, 537.83, 149.0, 0, 0},  // C8H10
    {"cumene", 0.120195, 9.0058e-05, 1.0895, 556.13, 187.0, 0, 0},       // C9H12
    {"p-cumene", 0.134222, 0.00010296, 1.1, 561.13, 187.0, 0, 0},        // C10H14
    {"naphtalene", 0.128174, 8.3301e-05, 1.0825, 687.1, 136.0, 0, 0},    // C10H8
    {"tetralin", 0.132206, 8.9247e-05, 1.1067, 678.39, 130.0, 0, 0},     // C10H12
};

struct KreglewskiPair {
    const char* first;
    const char* second;
    double k, eta12, theta12, xi12;
};

constexpr KreglewskiPair kPairs[] = {
    {"CO2", "CH4", 1.05, 20.5, 0.0, 0.94},
    {"CO2", "N2", 1.2, 21.5, 44.9, 1.02},
    {"CH4", "H2S", 1.1, 8.0, 54.4, 0.94},
};

// The start of the critical search: the table's where it has one, else one from the energy
// and the hard-core volume, within a few per cent of the equation's critical point (CH4
// 181.7 K for 192.2, CO2 308.1 for 304.2, hexane 530.9 for 512.9), which its search reaches.
void criticalStartOf(const KreglewskiComponent& c, double& T, double& V) {
    if (c.Tstart != 0.0) {
        T = c.Tstart;
        V = c.Vstart;
        return;
    }
    T = 0.95 * (c.u0k + c.etak);
    V = 4.6 * c.V00;
}

}  // namespace

const KreglewskiComponent* findKreglewskiComponent(const char* name) {
    if (name == nullptr) return nullptr;
    for (const KreglewskiComponent& c : kComponents)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

Kreglewski_EOS::Kreglewski_EOS(int phase_) : FluidPhase(2, phase_, 0) {
    setModelName("Kreglewski EOS");
    Vl0 = 1e-4;
    Vv0 = 0.002;
}

Kreglewski_EOS::~Kreglewski_EOS() = default;

void Kreglewski_EOS::number_of_components(int count) {
    if (count == nc && !componentCountRefused()) {
        // The terms stand; the names that follow set the components up afresh.
        FluidPhase::number_of_components(count);
        return;
    }
    if (count == 1) {
        setInteraction(0, new HCB1);
        setInteraction(1, new Kreglewski1);
    } else if (count == 2) {
        setInteraction(0, new HCB2);
        setInteraction(1, new Kreglewski2);
    } else {
        vornex::cprintf("Can handle only one- or two-component fluids\n");
        refuseComponentCount();
        return;
    }
    FluidPhase::number_of_components(count);
}

FluidPhase::VolumeStart Kreglewski_EOS::volumeSearchStart(bool liquidSide) {
    const VolumeStart plain = FluidPhase::volumeSearchStart(liquidSide);
    const double packed = interaction.empty() || !interaction[0] ? 0.0
                                                                 : interaction[0]->getVolumeMinimum();
    if (!liquidSide || !(packed > 0.0)) return plain;
    const double target = P;
    for (double Vt = 1.01 * packed; Vt < 4.0 * packed; Vt *= 1.02) {
        double Pcalc = 0.0;
        if (!pressureAndSlopeAt(Vt, Pcalc)) continue;
        if (!(dPdV < 0.0)) continue;
        // The liquid branch's densest point: a start for the liquid if its pressure is above
        // the one sought, else the branch holds no liquid at that pressure.
        return Pcalc > target ? VolumeStart{Vt, true} : plain;
    }
    return plain;
}

bool Kreglewski_EOS::componentCriticalEstimate(int i, double& TK, double& Vm3) {
    if (i < 0 || i >= nc || static_cast<size_t>(i) >= componentName.size()) return false;
    const KreglewskiComponent* c = findKreglewskiComponent(componentName[static_cast<size_t>(i)].c_str());
    if (c == nullptr) return false;
    criticalStartOf(*c, TK, Vm3);
    return true;
}

void Kreglewski_EOS::read_component_data(int index, const char* name) {
    if (!validComponent(index, "read_component_data")) return;
    if (!set_component_data(index)) {
        vornex::cfprintf(stderr, "Kreglewski EOS: no constants for the component \"%s\"\n",
                     name ? name : "");
        // The terms still hold the constants of the component read there before: no state of
        // this set-up is computed until one the model knows is given.
        refuseComponentCount();
    }
    M = molarMass[0];
}

bool Kreglewski_EOS::set_component_data(int i) {
    if (i < 0 || i >= nc) return false;
    const KreglewskiComponent* c = findKreglewskiComponent(componentName[i].c_str());
    if (c == nullptr) return false;
    molarMass[i] = c->molarMass;
    if (nc == 1) {
        // Without a start the critical search, and with it every saturation state, had
        // nothing to go from.
        criticalStartOf(*c, Tcrit, Vcrit);
        static_cast<HCB1*>(interaction[0])->set_parameters(c->alpha, c->V00, c->u0k, kSoftness);
        static_cast<Kreglewski1*>(interaction[1])
            ->set_parameters(c->V00, c->u0k, c->etak, kSoftness);
    } else {
        static_cast<HCB2*>(interaction[0])
            ->set_parameters_of_component(i, c->alpha, c->V00, c->u0k, kSoftness);
        static_cast<Kreglewski2*>(interaction[1])
            ->set_parameters_of_component(i, c->V00, c->u0k, c->etak, kSoftness);
    }
    return true;
}

void Kreglewski_EOS::read_remaining_component_data() {
    if (nc != 2) return;
    const KreglewskiComponent* a = findKreglewskiComponent(componentName[0].c_str());
    const KreglewskiComponent* b = findKreglewskiComponent(componentName[1].c_str());
    // A component without constants leaves the binary terms unfinished, so they refuse.
    if (a == nullptr || b == nullptr) return;
    KreglewskiPair pair{a->name, b->name, 1.0, 0.5 * (a->etak + b->etak), 0.0, 1.0};
    for (const KreglewskiPair& p : kPairs) {
        const bool same = std::strcmp(p.first, a->name) == 0 && std::strcmp(p.second, b->name) == 0;
        const bool swapped =
            std::strcmp(p.first, b->name) == 0 && std::strcmp(p.second, a->name) == 0;
        if (same || swapped) pair = p;
    }
    auto* hcb = static_cast<HCB2*>(interaction[0]);
    auto* attraction = static_cast<Kreglewski2*>(interaction[1]);
    hcb->set_binary_parameters(pair.k);
    attraction->set_binary_parameters(pair.k, pair.eta12, pair.theta12, pair.xi12);
    hcb->finalize_parameters();
    attraction->finalize_parameters();
}

bool Kreglewski_EOS::initializeCriticalParameters(const char* name, double& T, double& V) {
    const KreglewskiComponent* c = findKreglewskiComponent(name);
    if (c == nullptr || c->Tstart == 0.0) return false;
    T = c->Tstart;
    V = c->Vstart;
    return true;
}

void Kreglewski_EOS::selectComponent(const char* name) {
    int chosen = 0;
    for (int i = 0; i < nc; ++i)
        if (name && componentName[i] == name) {
            chosen = i;
            break;
        }
    for (int i = 0; i < nc; ++i) composition_of_component(i, i == chosen ? 1.0 : 0.0);
    normalizeCompositions();
    // A hydrocarbon's start from its constants, as for the pure fluid (toluene kept the
    // previous component's 192 K).
    if (const KreglewskiComponent* c = findKreglewskiComponent(name))
        criticalStartOf(*c, Tcrit, Vcrit);
}

void Kreglewski_EOS::calculateTheCriticalCurve(const char* suffix) {
    if (nc < 2) {
        vornex::cfprintf(stderr, "Kreglewski EOS: a critical curve needs two components\n");
        error = 1;
        return;
    }
    double T1 = 0.0, V1 = 0.0, T2 = 0.0, V2 = 0.0;
    if (!initializeCriticalParameters(componentName[0].c_str(), T1, V1) ||
        !initializeCriticalParameters(componentName[1].c_str(), T2, V2)) {
        vornex::cfprintf(stderr,
                     "Kreglewski EOS: no critical-point estimate for %s or %s; the critical "
                     "curve is not traced\n",
                     componentName[0].c_str(), componentName[1].c_str());
        error = 1;
        return;
    }
    // The critical states of these light gases lie below twice the higher critical
    // temperature; the equation is not one of fluids above 10 kbar (its liquid branches end
    // at pressure maxima of 3 to 11 kbar). A branch that runs on there, as the gas-gas branch
    // of a type III pair does, has left the mixture's critical states.
    const double Tstart[2] = {T1, T2}, Vstart[2] = {V1, V2};
    calculate_the_critical_curve_of_the_binary(
        (std::string("crit") + (suffix ? suffix : "")).c_str(), Tstart, Vstart,
        2.0 * std::max(T1, T2), 1e9, suffix ? suffix : "");
}

}  // namespace vornex

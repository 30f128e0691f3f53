#include "dkl/DuanModels.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fluid/Ideal.h"
#include "water/HGKid.h"

namespace vornex {

namespace {

// Nitrogen comes from the same authors' general equation (Geochim. Cosmochim. Acta 56 (1992)
// 3839), whose reduced variables are Tm = 154 T/eps, Pm = 3.0636 sigma^3 P/eps and
// Vm = V/(1000 (sigma/3.691)^3 cm3/mol), eps/k = 101 K for N2 and sigma (Angstrom) given by
// its pressure scale eps/(3.0636 sigma^3) = 0.6896 bar. Its volume scale is not R Tc/Pc of
// that pressure scale (Vm is in litres where R Tc/Pc gives 12 times less): taken as the
// term's Vc = R Tc/Pc the fluid was nearly an ideal gas. The term's Pc is the one whose
// R Tc/Pc is the published volume scale.
constexpr double kN2Tc = 101.0 / 154.0;                                  // K
constexpr double kN2Sigma3 = 101.0 / (3.0636 * 0.6895985066094725);      // Angstrom^3
constexpr double kN2VolumeScale = 1e-3 * kN2Sigma3 / (3.691 * 3.691 * 3.691);  // m3/mol
constexpr double kN2Pc = kGasConstant * kN2Tc / kN2VolumeScale * 1e-5;   // bar
constexpr double kN2CriticalTemperature = 126.192;                      // K, of nitrogen
// The volumes whose isotherms the search of the equation's critical region scans, m3/mol.
constexpr double kCriticalRegionVmin = 2e-5, kCriticalRegionVmax = 2e-3;

// Duan, Moller and Weare (1992), with CH4's Tc the publication's 190.6 K.
// clang-format off
constexpr DuanGas kDuanGases[] = {
    {"H2O", 647.25, 221.19, 0.018015268,
     {0.086444922, -0.396918955, -0.0573334886, -0.000293893, -0.00415775512, 0.0199496791,
      0.000118901426, 0.000155212063, -0.000106855859, -4.93197687e-06, -2.73739155e-06,
      2.65571238e-06, 0.00896079018, 4.02, 0.0257}},
    {"CH4", 190.6, 46.41, 0.016,
     {0.0872553928, -0.752599476, 0.375419887, 0.0107291342, 0.0054962636, -0.0184772802,
      0.000318993183, 0.000211079375, 2.01682801e-05, -1.65606189e-05, 0.000119614546,
      -0.000108087289, 0.0448262295, 0.75397, 0.077167}},
    {"CO2", 304.2, 73.825, 0.044,
     {0.0899288497, -0.494783127, 0.0477922245, 0.0103808883, -0.0282516861, 0.0949887563,
      0.00052060088, -0.000293540971, -0.00177265112, -2.51101973e-05, 8.93353441e-05,
      7.88998563e-05, -0.0166727022, 1.398, 0.0296}},
    // Molar mass of N2: 2 x 14.0067 g/mol (standard atomic weight).
    {"N2", kN2Tc, kN2Pc, 0.0280134,
     {0.0375504388, -10873.0273, 1109648.61, 0.000541589372, 112.094559, -5921.91393,
      4.37200027e-06, 0.495790731, -164.902948, -7.07442825e-08, 0.00965727297, 0.487945175,
      16225.7402, 1.0, 0.00899}},
};
// clang-format on

// The general equation's constants, given with Pc chosen so that R Tc/Pc is water's
// critical volume; its alpha and beta are recast to the form of the term below.
constexpr double kWaterSet1Tc = 647.25;
constexpr double kWaterSet1Pc = 961.8669080639938;
constexpr double kWaterSet1[kDuanConstants] = {
    0.349824207,    -2.91046273,    2.00914688,    0.112819964,    0.748997714,
    -0.87320704,    0.0170609505,   -0.0146355822, 0.0579768283,   -0.000841246372,
    0.004951186474, -0.00916248538, -0.100358152,  -0.00182674744, 0.0105999998};

}  // namespace

const DuanGas* findDuanGas(const char* name, bool withN2) {
    if (name == nullptr) return nullptr;
    for (const DuanGas& gas : kDuanGases) {
        if (std::strcmp(gas.name, name) != 0) continue;
        if (!withN2 && std::strcmp(name, "N2") == 0) return nullptr;
        return &gas;
    }
    return nullptr;
}

int duanPairOf(const char* first, const char* second) {
    auto is = [&](const char* a, const char* b) {
        return (std::strcmp(first, a) == 0 && std::strcmp(second, b) == 0) ||
               (std::strcmp(first, b) == 0 && std::strcmp(second, a) == 0);
    };
    if (first == nullptr || second == nullptr) return 0;
    if (is("CO2", "H2O")) return kDuanCO2H2O;
    if (is("CH4", "H2O")) return kDuanCH4H2O;
    if (is("CH4", "CO2")) return kDuanCH4CO2;
    return 0;
}

bool duanPairReversed(const char* first, const char* second) {
    switch (duanPairOf(first, second)) {
        case kDuanCO2H2O:
        case kDuanCH4H2O:
            return std::strcmp(first, "H2O") == 0;
        case kDuanCH4CO2:
            return std::strcmp(first, "CH4") == 0;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------- DuanFluid

DuanFluid::DuanFluid(int phase, bool acceptsN2) : FluidPhase(1, phase, 0), acceptsN2_(acceptsN2) {
    Vl0 = 3e-05;
    Vv0 = 0.0002;
}

DuanFluid::~DuanFluid() = default;

bool DuanFluid::acceptCount(int count, int low, int high, const char* message) {
    if (count < low || count > high) {
        vornex::cfprintf(stderr, "%s\n", message);
        refuseComponentCount();
        return false;
    }
    return true;
}

void DuanFluid::read_component_data(int index, const char* name) {
    if (!validComponent(index, "read_component_data")) return;
    const DuanGas* gas = findDuanGas(name, acceptsN2_);
    if (gas == nullptr) {
        vornex::cfprintf(
            stderr,
            acceptsN2_ ? "Either H2O, CO2, CH4 or N2 must be defined as a component of the system\n"
                       : "Either H2O, CO2 or CH4 must be defined as a component of the system\n");
        // The term still holds the constants of the gas read there before: no state of this
        // set-up is computed until one the model takes is given.
        refuseComponentCount();
        return;
    }
    Tc = gas->Tc;
    Pc = gas->Pc;
    molarMass[static_cast<size_t>(index)] = gas->molarMass;
    Interaction* term = interaction.empty() ? nullptr : interaction[0];
    if (auto* one = dynamic_cast<Duan1*>(term)) {
        one->set_parameters(Tc, Pc, gas->constants);
        M = gas->molarMass;
        // The start of the critical search (and of the saturation solve near it): the
        // equation's own critical region, found from the substance's critical temperature
        // (its constants' Tc is a scale for nitrogen, not a temperature); methane's lies at
        // 197 K, 72 cm3/mol, beyond Newton's reach from 190.6 K and 102 cm3/mol.
        locateCriticalRegion(std::strcmp(gas->name, "N2") == 0 ? kN2CriticalTemperature : Tc);
        namingTc = -1.0;
    } else if (auto* two = dynamic_cast<Duan2*>(term)) {
        two->set_parameters(index, Tc, Pc, gas->constants);
        if (index == 1) {
            const char* first = componentName[0].c_str();
            const char* second = componentName[1].c_str();
            // One gas named twice has no pair parameters: k = 1 makes it that gas alone.
            two->selector = static_cast<int16_t>(duanPairOf(first, second));
            two->pairReversed = duanPairReversed(first, second);
            locateCriticalRegionsAlone();
        }
    }
}

bool DuanFluid::scanCriticalRegion(double Test, double& Tfound, double& Vfound) {
    constexpr int kVolumes = 160;
    constexpr double kVmin = kCriticalRegionVmin, kVmax = kCriticalRegionVmax;
    const double T0 = T, V0 = V, P0 = P;
    const int16_t error0 = error;
    error = 0;
    // The volume where the isotherm at t is flattest (P rises most, or falls least), and
    // whether it rises there: a loop.
    auto flattest = [&](double t, double& Vflat) {
        temperature(t);
        double best = -HUGE_VAL, previousP = 0.0, previousV = 0.0;
        for (int i = 0; i <= kVolumes; ++i) {
            const double v = kVmin * std::pow(kVmax / kVmin, double(i) / kVolumes);
            volume(v);
            const double p = calculate_pressure();
            if (i > 0 && std::isfinite(p) && !error) {
                const double slope = (p - previousP) / (v - previousV);
                if (slope > best) best = slope, Vflat = std::sqrt(v * previousV);
            }
            previousP = p, previousV = v;
        }
        return best > 0.0;
    };
    double Vflat = 0.0, below = Test, above = Test;
    bool found = false;
    // Each search scans its temperatures from Test, which it checked first.
    unfoundAllLoops_ = flattest(Test, Vflat);
    if (unfoundAllLoops_) {
        for (above = 1.05 * Test; above <= 2.0 * Test && flattest(above, Vflat); above *= 1.05)
            below = above;
        found = above <= 2.0 * Test;
        unfoundFrom_ = Test, unfoundTo_ = below;
    } else {
        for (below = Test / 1.05; below >= 0.5 * Test && !flattest(below, Vflat); below /= 1.05)
            above = below;
        found = below >= 0.5 * Test;
        unfoundFrom_ = above, unfoundTo_ = Test;
    }
    Tfound = Vfound = 0.0;
    if (found) {
        unfoundFrom_ = unfoundTo_ = 0.0;
        while (above - below > 1e-4 * above) {
            const double middle = 0.5 * (below + above);
            (flattest(middle, Vflat) ? below : above) = middle;
        }
        flattest(below, Vflat);
        Tfound = below;
        Vfound = Vflat;
    }
    temperature(T0);
    volume(V0);
    P = P0;
    error = error0;
    return found;
}

void DuanFluid::locateCriticalRegion(double Test) {
    scanCriticalRegion(Test, Tcrit, Vcrit);
    error = 0;
}

void DuanFluid::locateCriticalRegionsAlone() {
    // The equation's point of a gas lies off the substance's (water's at 653.8 K), beyond the
    // reach of the critical search from the substance's constants: each component's own
    // region is searched once, as the pair is set up, with that component alone.
    const std::vector<double> composition = x;
    const double from = unfoundFrom_, to = unfoundTo_;
    const bool allLoops = unfoundAllLoops_;
    for (int i = 0; i < 2; ++i) {
        aloneTc_[i] = aloneVc_[i] = 0.0;
        const DuanGas* gas = findDuanGas(componentName[static_cast<size_t>(i)].c_str(), acceptsN2_);
        if (gas == nullptr) continue;
        for (int k = 0; k < 2; ++k) composition_of_component(k, k == i ? 1.0 : 0.0);
        scanCriticalRegion(gas->Tc, aloneTc_[i], aloneVc_[i]);
    }
    unfoundFrom_ = from, unfoundTo_ = to, unfoundAllLoops_ = allLoops;
    for (int k = 0; k < 2; ++k) composition_of_component(k, composition[static_cast<size_t>(k)]);
}

bool DuanFluid::componentCriticalEstimate(int i, double& TK, double& Vm3) {
    if (nc != 2 || i < 0 || i > 1 || !(aloneTc_[i] > 0.0)) return false;
    TK = aloneTc_[i];
    Vm3 = aloneVc_[i];
    return true;
}

void DuanFluid::calculateTheCriticalPoint(char mode, const char* suffix) {
    if (unfoundTo_ > 0.0) {
        vornex::cfprintf(stderr,
                     "Critical point not found: the isotherms of %s from %g to %g cm3/mol %s "
                     "temperature from %.5g to %.5g K, where its search ran\n",
                     componentName.empty() ? "the gas" : componentName[0].c_str(),
                     kCriticalRegionVmin * 1e6, kCriticalRegionVmax * 1e6,
                     unfoundAllLoops_ ? "have a loop at every" : "have no loop at any",
                     unfoundFrom_, unfoundTo_);
        error = 1;
        return;
    }
    FluidPhase::calculateTheCriticalPoint(mode, suffix);
}

DMW1::DMW1(int phase) : DuanFluid(phase, true) {
    setModelName("Duan EOS");
    setInteraction(0, new Duan1);
}

DMW1::~DMW1() = default;

void DMW1::number_of_components(int count) {
    if (acceptCount(count, 1, 1, "DMW1: the model takes one component"))
        FluidPhase::number_of_components(count);
}

DMW2::DMW2(int phase) : DuanFluid(phase, false) {
    setModelName("Duan EOS");
    setInteraction(0, new Duan2);
    setIdealTerm(new Ideal);
}

DMW2::~DMW2() = default;

void DMW2::number_of_components(int count) {
    if (acceptCount(count, 2, 2, "DMW2: the model takes two components"))
        FluidPhase::number_of_components(count);
}

DMWEOS::DMWEOS(int phase) : DuanFluid(phase, false) {
    setModelName("DMW EOS");
    // The Duan term carries the ideal gas's -ln V; the ideal term adds the rest of it.
    setIdealTerm(new HGKidealGas);
}

DMWEOS::~DMWEOS() = default;

void DMWEOS::number_of_components(int count) {
    if (!acceptCount(count, 1, 2, "Can handle only one-component or two-component fluid")) return;
    if (count == nc && !componentCountRefused()) {
        // The term stands; the names that follow set the components up afresh.
        FluidPhase::number_of_components(count);
        return;
    }
    if (count == 1)
        setInteraction(0, new Duan1);
    else
        setInteraction(0, new Duan2);
    FluidPhase::number_of_components(count);
}

// ------------------------------------------------------------------------ DuanH2O

DuanH2O::DuanH2O(int phase, int versionOfSet) : WaterEOS(1, phase, 0), version(versionOfSet) {
    auto* term = new Duan1;
    setInteraction(0, term);
    Vl0 = 1.7e-05;
    Vv0 = 0.0002;
    setModelName("DMW H2O");
    number_of_components(1);
    add_component("H2O");
    if (version == 0) {
        const DuanGas* water = findDuanGas("H2O", false);
        term->set_parameters(water->Tc, water->Pc, water->constants);
    } else if (version == 1) {
        double set[kDuanConstants];
        for (int k = 0; k < kDuanConstants; ++k) set[k] = kWaterSet1[k];
        const double alpha = set[12], beta = set[13], gamma = set[14];
        set[12] = alpha * alpha * gamma / beta;
        set[13] = alpha * gamma / beta;
        term->set_parameters(kWaterSet1Tc, kWaterSet1Pc, set);
    } else {
        vornex::cfprintf(stderr, "DuanH2O: no water constant set of version %d (0 or 1)\n", version);
        error = 1;
    }
    molarMass[0] = 0.018015268;
    M = 0.018015268;
}

DuanH2O::~DuanH2O() = default;

void DuanH2O::test(char) {
    checkInfiniteVolumes(1000000.0, 273.15, 1473.15, 1, "1");
}

}  // namespace vornex

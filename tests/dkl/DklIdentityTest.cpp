// The Kreglewski, Lee-Kessler and BWR fluids and the hard-convex-body repulsion in the
// identity suite of every equation of state, and the Duan-Moller-Weare fluids; mixtures in
// both component orders.
#include <array>
#include <memory>

#include "dkl/BWR.h"
#include "dkl/DuanModels.h"
#include "dkl/HCB.h"
#include "dkl/KreglewskiEOS.h"
#include "dkl/LeeKessler.h"
#include "support/EosIdentitySuite.h"

namespace vornex {
namespace {

using testing_support::Convention;
using testing_support::EosModel;
using testing_support::maker;
using testing_support::mixtureModel;
using testing_support::pureModel;

// The hard-convex-body repulsion alone, the library's fluid of no other term: a pure fluid
// of methane's Kreglewski constants, or a binary with those of carbon dioxide.
class HardConvexBodies : public FluidPhase {
   public:
    explicit HardConvexBodies(bool reversed, int count) : FluidPhase(1, 1, 0) {
        if (count == 1) {
            auto* term = new HCB1;
            setInteraction(0, term);
            number_of_components(1);
            term->set_parameters(1.0, 2.1576e-05, 190.29, 0.12);
            return;
        }
        auto* term = new HCB2;
        setInteraction(0, term);
        number_of_components(2);
        const int methane = reversed ? 1 : 0;
        term->set_parameters_of_component(methane, 1.0, 2.1576e-05, 190.29, 0.12);
        term->set_parameters_of_component(1 - methane, 1.0571, 1.9703e-05, 284.28, 0.12);
        term->set_binary_parameters(1.05);
        term->finalize_parameters();
        composition_of_component(methane, 0.7);
        composition_of_component(1 - methane, 0.3);
    }
};

const std::vector<std::array<double, 2>> kMethane = {{300, 2.1e-4}, {250, 6e-5}, {150, 4.5e-5}};
const std::vector<std::array<double, 2>> kMixture = {{300, 2e-4}, {350, 1e-4}, {250, 1e-3}};

VORNEX_EOS_IDENTITY_SUITE(
    Dkl, pureModel("Kreglewski", maker<Kreglewski_EOS>(1), "CH4", kMethane, 150.0),
    mixtureModel("KreglewskiCO2CH4", maker<Kreglewski_EOS>(1), {"CO2", "CH4"}, {0.3, 0.7},
                 kMixture),
    mixtureModel("KreglewskiCO2N2", maker<Kreglewski_EOS>(1), {"CO2", "N2"}, {0.4, 0.6},
                 kMixture),
    EosModel{"HCB", [] { return std::make_unique<HardConvexBodies>(false, 1); }, kMethane},
    EosModel{"HCBMix", [] { return std::make_unique<HardConvexBodies>(false, 2); }, kMixture}
        .reversedBy([] { return std::make_unique<HardConvexBodies>(true, 2); }),
    // The BWR fluids in reduced temperature and volume; the ideal-term slot holds an empty term.
    pureModel("BWRSimple", maker<BWREOS>(1), "C1", {{1.5, 2.0}, {1.2, 0.6}, {2.5, 0.3}})
        .as(Convention::ResidualOnly),
    pureModel("BWRReference", maker<BWREOS>(1), "C8", {{1.5, 2.0}, {1.2, 0.6}, {2.5, 0.3}})
        .as(Convention::ResidualOnly),
    // Lee-Kessler is explicit in neither P nor V: states at (T, P in Pa).
    pureModel("LeeKessler", maker<LK_EOS>(1), "CH4", {{300, 1e7}, {250, 5e6}, {400, 2e7}})
        .statesAtPressure(),
    // Its mixture's fugacity coefficients are slopes by differences in the fractions.
    mixtureModel("LeeKesslerMix", maker<LK_EOS>(1), {"CH4", "CO2"}, {0.6, 0.4},
                 {{300, 8e6}, {350, 1.5e7}, {400, 3e6}}, 2e-5)
        .statesAtPressure());

// The Duan-Moller-Weare fluids in their range: gas and supercritical states of each gas, of
// water above its critical temperature and of the pairs at 400 to 673 K.
const std::vector<std::array<double, 2>> kDuanCO2 = {{350, 1.9e-4}, {500, 1e-4}, {673.15, 7.6e-5}};
const std::vector<std::array<double, 2>> kDuanWater = {{673.15, 1e-4}, {800, 5e-5}, {1000, 1e-3}};
const std::vector<std::array<double, 2>> kDuanPair = {{673.15, 6e-5}, {600, 2e-4}, {800, 1e-4}};

VORNEX_EOS_IDENTITY_SUITE(
    Duan, pureModel("DMW1CO2", maker<DMW1>(1), "CO2", kDuanCO2, 280.0),
    pureModel("DMW1CH4", maker<DMW1>(1), "CH4", {{300, 2.1e-4}, {250, 6e-5}, {500, 1e-3}}),
    pureModel("DMW1H2O", maker<DMW1>(1), "H2O", kDuanWater),
    pureModel("DMW1N2", maker<DMW1>(1), "N2", {{300, 2.5e-4}, {500, 6e-5}, {800, 1e-3}}),
    // DMW2's ideal-term slot holds an empty term.
    mixtureModel("DMW2H2OCH4", maker<DMW2>(1), {"H2O", "CH4"}, {0.8, 0.2},
                 {{400, 2.4e-5}, {673.15, 6e-5}, {600, 2e-4}})
        .as(Convention::ResidualOnly),
    mixtureModel("DMW2H2OCO2", maker<DMW2>(1), {"H2O", "CO2"}, {0.6, 0.4}, kDuanPair)
        .as(Convention::ResidualOnly),
    mixtureModel("DMW2CO2CH4", maker<DMW2>(1), {"CO2", "CH4"}, {0.5, 0.5},
                 {{300, 2e-4}, {400, 1e-4}, {673.15, 6e-5}})
        .as(Convention::ResidualOnly),
    pureModel("DMWEOS", maker<DMWEOS>(1), "CO2", kDuanCO2, 280.0),
    mixtureModel("DMWEOSH2OCO2", maker<DMWEOS>(1), {"H2O", "CO2"}, {0.6, 0.4}, kDuanPair),
    mixtureModel("DMWEOSH2OCH4", maker<DMWEOS>(1), {"H2O", "CH4"}, {0.8, 0.2},
                 {{400, 2.4e-5}, {673.15, 6e-5}, {600, 2e-4}}),
    EosModel{"DuanH2O", maker<DuanH2O>(1, 0), kDuanWater, 600.0},
    EosModel{"DuanH2OGeneral", maker<DuanH2O>(1, 1), kDuanWater});

}  // namespace
}  // namespace vornex

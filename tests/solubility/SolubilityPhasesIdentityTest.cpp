// The phases of the solubility models in the identity suite of every equation of state, as
// the models build them: the vapour of each gas model (DMW1, SRK1, the classical SRK with its
// departure functions) for a gas and for the hydrocarbon gas, the PRSV
// vapour of the water-CO2 model, the vapours of the Henry's-law models over their gases, and
// the water model they share.
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/TermCubic.h"
#include "solubility/DMGWwater.h"
#include "solubility/Dubessy.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "support/EosIdentitySuite.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using testing_support::Convention;
using testing_support::EosModel;
using testing_support::maker;
using testing_support::withComponents;

// The vapour of a solubility model of the system type with the gas model type.
std::unique_ptr<FluidPhase> vapourOf(int system, int gasModel) {
    DMGWwater model(system, 0);
    model.setGasModelType(gasModel);
    return std::move(model.vapour);
}

// The hydrocarbon gas of the model's vapour in its first five components (CH4 to nC4 with
// their shares), made by the vapour's class, in its order or the reverse one. The whole gas
// cannot be evaluated: the cubics' component data hold no iC5, nC12, nC15 and nC20.
std::unique_ptr<FluidPhase> hydrocarbonGas(const EosModel::Maker& make, bool reversed) {
    std::vector<std::string> names{"CH4", "C2", "C3", "iC4", "nC4"};
    std::vector<double> x{0.5, 0.25, 0.04, 0.01, 0.05};
    double sum = 0.0;
    for (double xi : x) sum += xi;
    for (double& xi : x) xi /= sum;
    if (reversed) {
        std::reverse(names.begin(), names.end());
        std::reverse(x.begin(), x.end());
    }
    return withComponents(make, names, x);
}

// The vapour of the Henry's-law models over the gases of the aqueous phase, in that order.
template <class Model>
std::unique_ptr<FluidPhase> henryVapour(std::vector<std::string> gases, std::vector<double> y) {
    Model model;
    if constexpr (std::is_same_v<Model, HenPitSet>) model.setVapourModel(1);
    model.number_of_components(static_cast<int>(gases.size()) + 1);
    model.add_component("H2O");
    for (const std::string& gas : gases) model.add_component(gas.c_str());
    std::unique_ptr<FluidPhase> vapour = std::move(model.vapour);
    if (vapour) vapour->composition(y.data());
    return vapour;
}

std::unique_ptr<FluidPhase> dubessyVapour() {
    Dubessy model(0, 0, 0, 0);
    std::unique_ptr<FluidPhase> vapour = std::move(model.vapour);
    vapour->composition(0.1, 0.9);
    return vapour;
}

const std::vector<std::array<double, 2>> kCO2 = {{350, 1.9e-4}, {500, 1e-4}, {673.15, 7.6e-5}};
const std::vector<std::array<double, 2>> kGasMixture = {{300, 2e-4}, {350, 1e-4}, {500, 1e-3}};
const std::vector<std::array<double, 2>> kHumidCO2 = {{500, 2e-4}, {600, 1e-4}, {700, 1e-3}};

VORNEX_EOS_IDENTITY_SUITE(
    SolubilityPhases,
    EosModel{"VapourDMW1", [] { return vapourOf(SM_H2O_CO2, SM_DMW1); }, kCO2, 280.0},
    EosModel{"VapourSRK1", [] { return vapourOf(SM_H2O_CO2, SM_SRK1); }, kCO2, 280.0},
    EosModel{"VapourClassicalSRK", [] { return vapourOf(SM_H2O_CO2, SM_ClassicalSRK); }, kCO2,
             280.0}
        .as(Convention::Departure),
    EosModel{"HydrocarbonVapourSRK1", [] { return hydrocarbonGas(maker<SRK1>(1, 0), false); },
             kGasMixture}
        .reversedBy([] { return hydrocarbonGas(maker<SRK1>(1, 0), true); }),
    EosModel{"HydrocarbonVapourClassicalSRK",
             [] { return hydrocarbonGas(maker<ClassicalSRK>(1), false); }, kGasMixture}
        .as(Convention::Departure)
        .reversedBy([] { return hydrocarbonGas(maker<ClassicalSRK>(1), true); }),
    EosModel{"DubessyVapour", dubessyVapour, kHumidCO2}.reversedBy([] {
        return withComponents(maker<PRSV>(2, 0), {"CO2", "H2O"}, {0.9, 0.1});
    }),
    EosModel{"HenryVapour", [] { return henryVapour<Henry>({"CH4", "CO2"}, {0.3, 0.7}); }, kGasMixture}
        .as(Convention::Departure)
        .reversedBy([] { return henryVapour<Henry>({"CO2", "CH4"}, {0.7, 0.3}); }),
    EosModel{"HenPitSetVapour", [] { return henryVapour<HenPitSet>({"CH4", "CO2"}, {0.3, 0.7}); },
             kGasMixture}
        .as(Convention::Departure)
        .reversedBy([] { return henryVapour<HenPitSet>({"CO2", "CH4"}, {0.7, 0.3}); }),
    EosModel{"SolutionWater", [] { return std::move(DMGWwater(SM_H2O_CO2, 0).water); },
             {{500, 2e-5}, {700, 1e-4}, {400, 1e-2}}, 450.0});

}  // namespace
}  // namespace vornex

// Henry: gas solubility by Henry's law on the mole-fraction scale, f = H gamma x, with three
// sets of Henry-constant correlations (the model version) and empirical salting-out in NaCl
// brine; the vapour is ClassicalSRK over the gas components. Components come from the
// caller (add_component), so several gases may be declared; the solubility routine of the
// base handles one.
//   version 0: CO2 (the ln(H/atm) fit of henry::co2, Poynting factor with 28.2 cm3/mol,
//              also its partial molar volume) and H2S (no volume);
//   version 1: the Wilhelm, Battino and Wilcock (1977) fits with a Poynting factor of
//              32 cm3/mol, which is also the partial molar volume of the gas;
//   version 2: CH4 over the vapour pressure of water (known error: 2.2 times the IAPWS
//              guideline's Henry constant at 25 degC, see henry::ch4OverPsat); no volume.
// Where a version gives no partial molar volume of the gas, Vg is NaN (and a density of a
// solution holding that gas fails).
// Gases without a correlation get H = 1e25 Pa (practically insoluble) as their constant, but
// no solubility or bubble pressure: those fail, naming the versions that have one.
#pragma once

#include "solubility/SolubilityModel.h"

namespace vornex {

class Henry : public SolubilityModel {
   public:
    static constexpr double kInsoluble = 1e25;  // Pa

    Henry();
    // gamma_i = 1, then H_i (Pa) of component i by its name and the version at P (Pa), with
    // gamma_i set to the salting-out factor when NaCl is a component.
    double calculateHenryConstant(int i, double PPa);
    // A set-up by names drops the system type: the model is the fresh one of those names.
    void number_of_components(int count) override;
    void read_remaining_component_data() override;
    void calculate_aqueous_fugacities() override;
    void calculate_gas_partial_volume_() override;
    // The first gas without a correlation in the version, with the versions that have one.
    std::string missingParameters() const override;
    void test(int k);
};

}  // namespace vornex

// HenPitSet: aqueous solution of light gases in water or NaCl brine. The gas mole fractions
// follow from Henry constants (salting-out folded in) and the gas fugacities of a
// ClassicalSRK vapour; the water activity and the NaCl activity coefficient come from the
// Pitzer (1984) model of the water equation of state.
// Henry-constant sets (the field henrySet, chosen by the caller): 0 CO2 (the ln(H/atm) fit
// of henry::co2) and H2S; 1 the Wilhelm, Battino and Wilcock (1977) fits; 2 CH4 over the
// vapour pressure of water (known error: 2.2 times the IAPWS guideline's Henry constant at
// 25 degC, see henry::ch4OverPsat). Gases without a correlation: H = 1e25 Pa, and describe()
// refuses them, naming the sets that have one.
// Gas fractions summing to 1 or more (Henry constants outside their range) raise the error
// flag, as do non-positive T or P and a negative NaCl molality.
#pragma once

#include <memory>

#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/Phase.h"

namespace vornex {

class WagnerPruss;

class HenPitSet : public Phase {
   public:
    HenPitSet();
    ~HenPitSet() override;

    int numberOfGases = 0;
    int iH2O = -1, iGas = -1, iNaCl = -1;
    double m = 0.0;        // NaCl molality
    double aw = 1.0;       // water activity
    double osmotic = 0.0;  // osmotic coefficient of the last Pitzer calculation
    std::unique_ptr<WagnerPruss> water;
    std::unique_ptr<FluidPhase> vapour;
    int vapourType = 1;
    int henrySet = 0;

    // Type 1 builds the ClassicalSRK vapour, over the gases already named if any.
    void setVapourModel(int type);
    // A set given its components again starts afresh (its old gases and indices go, the
    // vapour model is rebuilt for the new gases); a count below 1 is refused, saying so.
    void number_of_components(int count) override;
    void read_component_data(int index, const char* name) override;
    void read_remaining_component_data() override;
    // The phase at its T, P and m: gas mole fractions, water activity, x_H2O, x_NaCl.
    // Gases without a vapour model, water below its vapour pressure or above its critical
    // temperature, gases that form a liquid and a vapour (two or more, by the tangent-plane
    // test of their mixture): the error flag, with a message.
    void describe() override;
    double calculateHenryConstant(int i);
    void calculate_salt_effect();
    double getWaterActivity() const { return aw; }
    void test(int k);

   private:
    // Says which phase lies below the gas mixture's tangent plane, and raises the flag.
    void refuseSplitGas(const PhaseSplit& split);
};

}  // namespace vornex

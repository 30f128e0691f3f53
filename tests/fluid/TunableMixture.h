// Binary van der Waals fluid (the components of makeVanDerWaalsMixture) with two adjustable
// parameters: the cross attraction a01 = p0 (Pa m6/mol2) and the second co-volume
// b1 = p1 1e-5 m3/mol, set together by tune or one at a time by set_model_parameter.
#pragma once

#include "fluid/TestFluids.h"

namespace vornex::testing {

// Puts a new residual term of a binary in place of the fluid's first; the term takes the
// fluid's state.
inline void replaceBinaryTerm(FluidPhase& f, Interaction* term) {
    f.setInteraction(0, term);
    term->number_of_components(2);
    f.temperature(f.T);
    f.volume(f.V);
    f.composition_of_component(0, f.x[0]);
    f.composition_of_component(1, f.x[1]);
}

class TunableMixture : public FluidPhase {
   public:
    TunableMixture() : FluidPhase(1, 1, 0) {
        number_of_components(2);
        molarMass[0] = 0.044;
        molarMass[1] = 0.016;
        double start[2] = {0.25, 4.3};
        tune(start);
        composition(0.5, 0.5);
    }
    void tune(double* p) override {
        p_[0] = p[0];
        p_[1] = p[1];
        replaceBinaryTerm(*this,
                          new VanDerWaalsTerm({0.3640, p_[0], 0.2300}, {4.267e-05, p_[1] * 1e-5}));
    }
    void set_model_parameter(int index, double value) override {
        if (index < 0 || index > 1) {
            error = 1;
            return;
        }
        double p[2] = {p_[0], p_[1]};
        p[index] = value;
        tune(p);
    }
    double parameter(int index) const { return p_[index]; }

   private:
    double p_[2] = {0.25, 4.3};
};

}  // namespace vornex::testing

// BoublikEOS: a fluid of hard spheres, the Boublik repulsion with the whole ideal gas of the
// Haar-Gallagher-Kell formulation (HGKidealGas) for every component;
// a reference fluid for checks of the hard-body term. The caller sets the components and
// their diameters. The ideal gas of every component is water's, and so is its molar mass
// (a caller may set another in molarMass before the first state).
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

class Boublik;

class BoublikEOS : public FluidPhase {
   public:
    explicit BoublikEOS(int phase);
    ~BoublikEOS() override;

    // The count, then water's molar mass for every component.
    void number_of_components(int count) override;

    void set_hard_sphere_diameter(int i, double sigma);

   private:
    Boublik* boublik_;  // owned by the fluid as its residual term 0
};

}  // namespace vornex

#include "anderko/BoublikEOS.h"

#include "anderko/Boublik.h"
#include "water/HGKid.h"
#include "water/WaterEOS.h"

namespace vornex {

BoublikEOS::BoublikEOS(int phase) : FluidPhase(1, phase, 0), boublik_(new Boublik) {
    setInteraction(0, boublik_);
    // Boublik carries the ideal gas's -ln V; the ideal term adds the rest of it.
    setIdealTerm(new HGKidealGas);
    Vl0 = 2e-5;
    Vv0 = 2e-4;
}

BoublikEOS::~BoublikEOS() = default;

void BoublikEOS::number_of_components(int count) {
    // The same count keeps the set-up, masses included.
    const bool fresh = count >= 1 && (count != nc || componentCountRefused());
    FluidPhase::number_of_components(count);
    if (!fresh || nc != count || componentCountRefused()) return;
    // Without a molar mass the fluid has no density and no sound speed: every state would
    // be flagged.
    molarMass.assign(static_cast<size_t>(nc), kWaterMolarMass);
    M = bulkMolarMass();
}

void BoublikEOS::set_hard_sphere_diameter(int i, double sigma) {
    boublik_->set_hard_sphere_diameter(i, sigma);
}

}  // namespace vornex

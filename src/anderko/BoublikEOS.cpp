#include "anderko/BoublikEOS.h"

#include "anderko/Boublik.h"
#include "water/HGKid.h"

namespace vornex {

BoublikEOS::BoublikEOS(int phase) : FluidPhase(1, phase, 0), boublik_(new Boublik) {
    setInteraction(0, boublik_);
    // Boublik carries the ideal gas's -ln V; the ideal term adds the rest of it.
    setIdealTerm(new HGKidealGas);
    Vl0 = 2e-5;
    Vv0 = 2e-4;
}

BoublikEOS::~BoublikEOS() = default;

void BoublikEOS::set_hard_sphere_diameter(int i, double sigma) {
    boublik_->set_hard_sphere_diameter(i, sigma);
}

}  // namespace vornex

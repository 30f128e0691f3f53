// Attraction: the common base of the attractive Helmholtz terms (dispersion, dipole). It adds
// nothing to Interaction; it marks the family so that owners and the inspection tools can
// tell attractive from repulsive terms.
#pragma once

#include "fluid/Interaction.h"

namespace vornex {

class Attraction : public Interaction {
   public:
    ~Attraction() override;
};

}  // namespace vornex

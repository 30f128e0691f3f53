// Repulsion: the common base of the repulsive Helmholtz terms (hard bodies, covolume
// terms). It adds nothing to Interaction; it marks the family so that owners and the
// inspection tools can tell repulsive from attractive terms.
#pragma once

#include "fluid/Interaction.h"

namespace vornex {

class Repulsion : public Interaction {
   public:
    ~Repulsion() override;
};

}  // namespace vornex

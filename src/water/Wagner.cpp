#include "water/Wagner.h"

#include "water/WagnerCoefficients.h"

namespace vornex {

Wagner::Wagner() : MultiParResidual(iapws95::kReducing, iapws95::kResidual) {
    setModelName("Wagner Interaction");
}

}  // namespace vornex

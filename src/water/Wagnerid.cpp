#include "water/Wagnerid.h"

#include <cmath>

#include "water/WagnerCoefficients.h"

namespace vornex {

namespace {

// IAPWS-95 ideal-gas coefficients, Table 1 of the release (1995 digits of n1 and n2).
constexpr PlanckEinsteinCoefficient kPlanckEinstein[5] = {
    {0.012436, 1.28728967}, {0.97315, 3.53734222}, {1.2795, 7.74073708},
    {0.96956, 9.24437796},  {0.24873, 27.5075105},
};

IdealGasTable idealGasTable() {
    return {true,
            -8.32044648201,
            6.6832105268,
            3.00632,
            0.0,
            {},
            kPlanckEinstein,
            -std::log(kWaterCriticalVolume)};
}

}  // namespace

Wagnerid::Wagnerid() : ReducedIdeal(iapws95::kReducing, idealGasTable()) {
    setModelName("WagnerIdeal");
}

}  // namespace vornex

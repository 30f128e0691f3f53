#include "water/Wagnerid.h"

#include <cmath>

#include "water/WagnerCoefficients.h"
#include "water/WagnerPrussKernel.h"

namespace vornex {

namespace {

// IAPWS-95 ideal-gas coefficients, Table 1 of the release (1995 digits of n1 and n2).
constexpr PlanckEinsteinCoefficient kPlanckEinstein[5] = {
    {0.012436, 1.28728967}, {0.97315, 3.53734222}, {1.2795, 7.74073708},
    {0.96956, 9.24437796},  {0.24873, 27.5075105},
};

using Reduced = WagnerPrussKernel::Reduced;

}  // namespace

const IdealGasTable& Wagnerid::coefficients() {
    static const IdealGasTable table{true,
                                     -8.32044648201,
                                     6.6832105268,
                                     3.00632,
                                     0.0,
                                     {},
                                     kPlanckEinstein,
                                     -std::log(kWaterCriticalVolume)};
    return table;
}

Wagnerid::Wagnerid() : ReducedIdeal(iapws95::kReducing, coefficients()) {
    setModelName("WagnerIdeal");
}

// d^k/dtau^k of n1 + n2 tau + n3 ln tau + sum n ln(1 - e), e = exp(-gamma tau):
// n gamma e/(1 - e), -n gamma^2 e/(1 - e)^2, n gamma^3 e (1 + e)/(1 - e)^3 for each term.
bool Wagnerid::writtenOutServes() const {
    return nc == 1 && root != nullptr && T > 0.0 && V > 0.0 && std::isfinite(T) &&
           std::isfinite(V) && !WagnerPrussKernel::nearCriticalTemperature(T);
}

bool Wagnerid::ofTau(double out[4]) const {
    if (!writtenOutServes()) return false;
    const IdealGasTable& k = coefficients();
    const double tau = Reduced(T, V).tau, it = 1.0 / tau;
    double f = k.n1 + k.n2 * tau + k.n3 * std::log(tau), f1 = k.n2 + k.n3 * it,
           f2 = -k.n3 * it * it, f3 = 2.0 * k.n3 * it * it * it;
    for (const PlanckEinsteinCoefficient& c : k.planckEinstein) {
        const double e = std::exp(-c.gamma * tau), q = 1.0 / (1.0 - e), g = c.gamma;
        f += c.n * std::log(1.0 - e);
        f1 += c.n * g * e * q;
        f2 -= c.n * g * g * e * q * q;
        f3 += c.n * g * g * g * e * (1.0 + e) * q * q * q;
    }
    out[0] = f;
    out[1] = f1;
    out[2] = f2;
    out[3] = f3;
    return std::isfinite(f) && std::isfinite(f1) && std::isfinite(f2) && std::isfinite(f3);
}

void Wagnerid::calculate_state_functions() {
    double f[4];
    if (!ofTau(f)) return ReducedIdeal::calculate_state_functions();
    error = 0;
    const Reduced c(T, V);
    const double lD1 = c.dV / c.delta, lD2 = c.dVV / c.delta - lD1 * lD1;
    table[Deriv::a] = f[0] + std::log(c.delta);
    table[Deriv::a_T] = f[1] * c.tT;
    table[Deriv::a_V] = lD1;
    table[Deriv::a_TT] = f[2] * c.tT * c.tT + f[1] * c.tTT;
    table[Deriv::a_TV] = 0.0;
    table[Deriv::a_VV] = lD2;
    table[Deriv::a_TTV] = 0.0;
    table[Deriv::a_TVV] = 0.0;
    table[Deriv::a_VVV] = c.dVVV / c.delta - 3.0 * lD1 * lD2 - lD1 * lD1 * lD1;
    stateFromEntries();
}

double Wagnerid::thirdTemperatureDerivative() {
    double f[4];
    if (!ofTau(f)) return ReducedIdeal::thirdTemperatureDerivative();
    const Reduced c(T, V);
    return f[3] * c.tT * c.tT * c.tT + 3.0 * f[2] * c.tT * c.tTT + f[1] * c.tTTT;
}

// In the fugacity mode the term is ln delta - ln Vc = -ln V alone.
void Wagnerid::calculate_fugacities() {
    if (!writtenOutServes()) return ReducedIdeal::calculate_fugacities();
    error = 0;
    const Reduced c(T, V);
    const double lD1 = c.dV / c.delta;
    table[Deriv::a] = std::log(c.delta) + coefficients().fugacityConstant;
    table[Deriv::a_T] = daT = 0.0;
    table[Deriv::a_V] = daV = lD1;
    table[Deriv::a_TT] = 0.0;
    table[Deriv::a_TV] = d2aTV = 0.0;
    table[Deriv::a_VV] = d2aVV = c.dVV / c.delta - lD1 * lD1;
    dax[0] = d2aTx[0] = d2aVx[0] = d2axx[0][0] = 0.0;
    fugacitiesFromDerivatives();
}

}  // namespace vornex

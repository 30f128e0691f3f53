#include "water/Wagner.h"

#include "water/WagnerCoefficients.h"

namespace vornex {

Wagner::Wagner() : MultiParResidual(iapws95::kReducing, iapws95::kResidual) {
    setModelName("Wagner Interaction");
}

// a(T, V) = phi_r(tau, delta) with tau = Tc/T, delta = Vc/V.
using Reduced = WagnerPrussKernel::Reduced;

bool Wagner::residualAtState(WagnerPrussKernel::Residual& r) {
    if (nc != 1 || root == nullptr || !(T > 0.0) || !(V > 0.0) ||
        WagnerPrussKernel::nearCriticalTemperature(T))
        return false;
    const Reduced c(T, V);
    return kernel_.residualDerivatives(c.tau, c.delta, r);
}

void Wagner::placeEntries(const WagnerPrussKernel::Residual& r) {
    error = 0;
    const Reduced c(T, V);
    table[Deriv::a] = r.f;
    table[Deriv::a_T] = r.t * c.tT;
    table[Deriv::a_V] = r.d * c.dV;
    table[Deriv::a_TT] = r.tt * c.tT * c.tT + r.t * c.tTT;
    table[Deriv::a_TV] = r.td * c.tT * c.dV;
    table[Deriv::a_VV] = r.dd * c.dV * c.dV + r.d * c.dVV;
    table[Deriv::a_TTV] = (r.ttd * c.tT * c.tT + r.td * c.tTT) * c.dV;
    table[Deriv::a_TVV] = c.tT * (r.tdd * c.dV * c.dV + r.td * c.dVV);
    table[Deriv::a_VVV] = r.ddd * c.dV * c.dV * c.dV + 3.0 * r.dd * c.dV * c.dVV + r.d * c.dVVV;
    stateFromEntries();
}

void Wagner::calculate_state_functions() {
    WagnerPrussKernel::Residual r;
    if (!residualAtState(r)) return Interaction::calculate_state_functions();
    placeEntries(r);
}

double Wagner::thirdTemperatureDerivative() {
    WagnerPrussKernel::Residual r;
    if (!residualAtState(r)) return Interaction::thirdTemperatureDerivative();
    const Reduced c(T, V);
    return r.ttt * c.tT * c.tT * c.tT + 3.0 * r.tt * c.tT * c.tTT + r.t * c.tTTT;
}

void Wagner::calculate_fugacities() {
    WagnerPrussKernel::Residual r;
    if (!residualAtState(r)) return Interaction::calculate_fugacities();
    placeEntries(r);
    // One component: phi_r does not depend on the amount fraction.
    dax[0] = d2aTx[0] = d2aVx[0] = d2axx[0][0] = 0.0;
    fugacitiesFromDerivatives();
}

}  // namespace vornex

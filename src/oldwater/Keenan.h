// Keenan: the Keenan-Keyes-Hill-Moore (1969) formulation for water as a WaterEOS, in the
// density rho (g/cm3) and tau = 1000 K / T:
//     a = ln rho + rho Q(rho, tau) + psi0(T)/(R T),
//     Q = G_1 + (tau - tau_c) sum_{j=2..7} (tau - 2.5)^(j-2) G_j,
//     G_j = sum_i A_ij (rho - rho_aj)^(i-1) + exp(-4.8 rho) (A_9j + A_10j rho),
//     psi0 = 1857.065 + 3229.12 t - 419.465 t^2 + 36.6649 t^3 - 20.5516 t^4 + 4.85233 t^5
//            + (46.0 - 1011.249 t) ln T   (kJ/kg, t = T/1000 K, R = 0.46151 kJ/(kg K)),
// tau_c = 1.544912, rho_a1 = 0.634, rho_aj = 1 for j >= 2. KeenanRes carries ln rho + rho Q,
// KeenanId psi0/(RT), and -ln(1.8015268e-5) while the fugacities are computed (the model's
// sum is then -ln V + rho Q). Model name "Keenan", one component "H2O"; no stability test.
//
// Its own critical point (647.245 K) bounds its saturation states.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WaterEOS.h"

namespace vornex {

class KeenanRes : public ReducedTerm<MultiParInteraction> {
   public:
    KeenanRes();
};

class KeenanId : public ReducedIdeal {
   public:
    KeenanId();
};

class Keenan : public WaterEOS {
   public:
    explicit Keenan(int phase);
    ~Keenan() override;
};

}  // namespace vornex

// IUPACCO2: carbon dioxide by the IUPAC equation of state (Angus, Armstrong and de Reuck,
// International Thermodynamic Tables of the Fluid State 3: Carbon Dioxide, 1976), a CO2EOS
// with the residual term IUPAC and the zero-density term IUPACCO2ID; model name "IUPAC CO2",
// M = 0.044 kg/mol, R = 8.31434 J/(mol K).
//
// In omega = Vc/V and tau = Tc/T (Tc = 304.2 K, Vc = 1/10630 m3/mol) the equation is
//     Z = 1 + omega sum_(i,j) b_ij (omega - 1)^i (tau - 1)^j,
// and IUPAC its Helmholtz form a = -ln V + sum b_ij/(i+1) (omega - 1)^(i+1) (tau - 1)^j,
// built on the shifted reduced variables W1 = omega - 1 and Y1 = tau - 1 with the powers
// and products of the multi-parameter builders. At zero density the sum is
// e(tau) = sum_j e_j (tau - 1)^j, e_j = sum_i (-1)^(i+1) b_ij/(i+1); IUPACCO2ID is -e(tau)
// in the fugacity mode and nothing otherwise.
//
// Range of the publication: 216.58 to 1100 K at pressures up to 100 MPa (1 kbar). Beyond it
// the equation drifts: at 5 kbar its density is 4.75 % off the reference equation of Span
// and Wagner, and far below the triple point its isotherms have no vapour branch above a low
// pressure (0.26 bar at 100 K, 2.17 bar at 140 K, the top of their vapour branch), where the
// volume solve of the vapour side gives the liquid root, at the pressure asked.
#pragma once

#include <cstdio>

#include "fluid/MultiParTerms.h"
#include "puregas/CO2EOS.h"
#include "puregas/ZeroDensityTerm.h"

namespace vornex {

class IUPAC : public ReducedTerm<MultiParInteraction> {
   public:
    IUPAC();
};

class IUPACCO2ID : public ZeroDensityTerm {
   public:
    IUPACCO2ID();
    // e_j, j = 0 ... 6.
    static double zeroDensityCoefficient(int j);
};

class IUPACCO2 : public CO2EOS {
   public:
    explicit IUPACCO2(int phase);
    ~IUPACCO2() override;
    // On the liquid side, a volume below the liquid start volume where the pressure reaches
    // the target: far beyond its range (0 °C and 7500 bar) the equation has a spurious loop
    // at still smaller volumes, which a search from a too large volume would step into.
    VolumeStart volumeSearchStart(bool liquidSide) override;
    // Per cent differences of the fugacity coefficient of `other` from this model, 43
    // pressures by ten temperatures; a cell either model could not solve prints nan.
    // Returns the number of such cells.
    int compareWithIUPAC(FluidPhase* other, std::FILE* out = stdout);
};

}  // namespace vornex

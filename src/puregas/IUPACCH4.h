// IUPACCH4: methane by the IUPAC equation of state (Angus, Armstrong and de Reuck,
// International Thermodynamic Tables of the Fluid State 5: Methane, 1978), a CH4EOS with
// the residual term IUPAC1 and the zero-density term IUPAC1ID; model name "IUPAC CH4",
// M = 0.016 kg/mol, R = 8.31434 J/(mol K).
//
// In omega = Vc/V and tau = Tc/T (Tc = 190.555 K, Vc = 1/10109.5 m3/mol, gamma =
// 0.98113911) the equation is
//     Z = 1 + sum_(i,j) b_ij omega^i tau^j + exp(-gamma omega^2) sum_(k=0..5) D_2k(tau) omega^(2k+2),
// and IUPAC1 is its Helmholtz form a = -ln V + sum_(i,j) (b_ij/i) omega^i tau^j + the
// integrals of the exponential part, -(1/(2 gamma)) exp(-gamma omega^2) Y_2k D_2k(tau),
// Y_2k = sum_(j<=k) k!/(j! gamma^(k-j)) omega^(2j), expanded into terms omega^(2j) tau^t
// exp(-gamma omega^2) of the multi-parameter builders. At zero density that part is
// -sum_k k!/(2 gamma^(k+1)) D_2k(tau), which IUPAC1ID cancels in the fugacity mode.
//
// The tau^5 coefficient of D10 is +0.00057222052999: printed with a minus sign, the model's
// critical point moves to 191.31 K and 47.0 bar and its liquid at 150 K and 100 bar is 5.4 %
// too dense. With the plus sign the critical point is the equation's 190.555 K and
// 10109.5 mol/m3 at 45.95 bar, and the vapour pressure at 150 K is 10.403 bar (Setzmann and
// Wagner: 10.400 bar).
//
// Range of the publication: 90.7 to 620 K at pressures up to 100 MPa.
#pragma once

#include <cstdio>

#include "fluid/MultiParTerms.h"
#include "puregas/CH4EOS.h"
#include "puregas/ZeroDensityTerm.h"

namespace vornex {

class IUPAC1 : public MultiParResidual {
   public:
    IUPAC1();
};

class IUPAC1ID : public ZeroDensityTerm {
   public:
    IUPAC1ID();
};

class IUPACCH4 : public CH4EOS {
   public:
    explicit IUPACCH4(int phase);
    ~IUPACCH4() override;
};

}  // namespace vornex

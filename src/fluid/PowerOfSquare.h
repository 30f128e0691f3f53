// PowerOfSquare: a*u^b + c of a child u = x^2 >= 0, the node of the non-analytic terms of
// the water reference equation, ((delta - 1)^2)^(1/(2 beta)) and ((delta - 1)^2)^a.
//
// A plain Power node is exact wherever u > 0. At u = 0 its outer derivatives b(b-1)u^(b-k)
// become infinite for k > b while every first derivative of u = x^2 is exactly 0, so the
// chain rule forms 0 * inf = NaN. Seen as a function of x, a|x|^(2b) has the limits the
// chain rule gives when those products are taken as 0: every derivative of order below 2b
// vanishes at x = 0. (For 2b < 4 the fourth derivative diverges like |x|^(2b-4); its
// divergent part is left out, so the node stays finite.)
#pragma once

#include "expression/UnOp.h"

namespace vornex {

class PowerOfSquare : public Power {
   protected:
    bool outer(double x, int order, double* f) override;
};

}  // namespace vornex

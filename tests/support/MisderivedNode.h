// A node with a planted fault, for the derivative checks to find: the square of its child
// whose outer first derivative is 10 % too large (its value and higher outer derivatives are
// right).
#pragma once

#include "expression/UnOp.h"

namespace vornex::testing_support {

class MisderivedSquare : public Square {
   protected:
    bool outer(double x, int order, double* f) override {
        const bool ok = Square::outer(x, order, f);
        f[1] *= 1.1;
        return ok;
    }
};

}  // namespace vornex::testing_support

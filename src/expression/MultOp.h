// MultOp: base of the nodes with a variable number of children (Sum, Geom and the
// composition sums). It holds only the number of terms; each derived class declares its
// own child table.
#pragma once

#include "expression/Expression.h"

namespace vornex {

class MultOp : public Operator {
   public:
    int32_t numberOfTerms = 0;

    // Stores n and nothing else.
    virtual void number_of_terms(int n) { numberOfTerms = n; }
};

}  // namespace vornex

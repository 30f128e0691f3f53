// GraphTerm<Base>: a pooled Helmholtz term (fluid/TermNodes.h) that must be given its
// constants before use: until then it reports an error at every evaluation instead of
// evaluating a graph of zeros.
#pragma once

#include "fluid/TermNodes.h"

namespace vornex {

template <class Base>
class GraphTerm : public PooledGraphTerm<Base> {
   public:
    void calculate_fixed_parameters() override {
        if (!configured) this->error = 1;
    }
    bool configured = false;  // set once the term has its constants
};

}  // namespace vornex

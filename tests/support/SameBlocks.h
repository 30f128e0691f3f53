// Compares the derivative blocks of two nodes entry by entry, bit for bit: every entry to
// `order`, or along one variable `var` (>= 0) the pure ones only.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "expression/Expression.h"

namespace vornex::testing_support {

inline void expectBitEqualBlocks(const Expression& a, const Expression& b, int order, int var) {
    const int end = a.layout().end(order);
    int p[kMaxDerivativeOrder + 1];
    if (var >= 0) a.layout().diagonals(var, order, p);
    for (int k = 0; k < end; ++k) {
        if (var >= 0 && std::find(p, p + order + 1, k) == p + order + 1) continue;
        EXPECT_EQ(a.block()[k], b.block()[k]) << "position " << k;
    }
}

}  // namespace vornex::testing_support

#include <gtest/gtest.h>

#include <type_traits>

#include "numerics/Allocation.h"

namespace vornex {
namespace {

// Each row of the symmetric arrays is its own allocation of exactly parent index + 1
// entries; writing a distinct value into every element and reading all of them back finds
// rows that are too short or shared (the sanitizer build also catches any overrun).
// Returns the number of elements, each checked zero before it is written.
template <class P>
int fillThenCheck(P a, int top, int& count, bool check) {
    int elements = 0;
    for (int i = 0; i <= top; ++i) {
        if constexpr (std::is_same_v<P, double*>) {
            if (check) {
                EXPECT_EQ(a[i], ++count);
            } else {
                EXPECT_EQ(a[i], 0.0);
                a[i] = ++count;
            }
            ++elements;
        } else {
            elements += fillThenCheck(a[i], i, count, check);
        }
    }
    return elements;
}

template <class P>
int elementsOf(P a, int n) {
    int count = 0;
    const int written = fillThenCheck(a, n - 1, count, false);
    count = 0;
    EXPECT_EQ(fillThenCheck(a, n - 1, count, true), written);
    return written;
}

TEST(SymmetricArrays, HoldTheWholeZeroedSimplex) {
    const int n = 4;  // C(n + k - 1, k) elements for k indexes
    double** a2 = sym2alloc(n);
    EXPECT_EQ(elementsOf(a2, n), 10);
    dispose_sym2(a2, n);
    double*** a3 = sym3alloc(n);
    EXPECT_EQ(elementsOf(a3, n), 20);
    dispose_sym3(a3, n);
    double**** a4 = sym4alloc(n);
    EXPECT_EQ(elementsOf(a4, n), 35);
    dispose_sym4(a4, n);
    double***** a5 = sym5alloc(n);
    EXPECT_EQ(elementsOf(a5, n), 56);
    dispose_sym5(a5, n);
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "numerics/Allocation.h"
#include "support/PrintedChecks.h"

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

// The printers write "\t%f" per value and a line end per row: parsed back, every row has
// its own values in order, to the six decimals of %f.
TEST(MatrixPrinters, EachRowReadsBackAsItsValues) {
    double** a = allocate2(3, 2);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) a[i][j] = (i + 1) * 10.5 - j * 0.1234567 - 15;
    const std::string text = test::writtenText([&](FILE* f) { printMatrix(f, a, 3, 2); });
    const auto lines = test::linesOf(text);
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(lines[i].substr(0, 1), "\t");
        std::istringstream row(lines[i]);
        std::vector<double> values;
        for (double v; row >> v;) values.push_back(v);
        ASSERT_EQ(values.size(), 2u) << lines[i];
        for (int j = 0; j < 2; ++j) EXPECT_NEAR(values[j], a[i][j], 5e-7);
    }
    EXPECT_EQ(test::writtenText([&](FILE* f) { printVector(f, a[1], 2); }),
              "\t6.000000\t5.876543\n");
    EXPECT_EQ(test::writtenText([&](FILE* f) { printVector(f, a[0], 0); }), "\n");
    dispose(a, 3);
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "numerics/Allocation.h"

namespace vornex {
namespace {

// Each row of the symmetric arrays is its own allocation of exactly parent index + 1
// entries; writing a distinct value into every element and reading all of them back finds
// rows that are too short or shared (the sanitizer build also catches any overrun).
class SymmetricArrays : public ::testing::Test {};

TEST_F(SymmetricArrays, TwoIndexesHoldTheTriangleZeroed) {
    const int n = 4;
    double** a = sym2alloc(n);
    int count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            EXPECT_EQ(a[i][j], 0.0);
            a[i][j] = ++count;
        }
    EXPECT_EQ(count, n * (n + 1) / 2);
    count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) EXPECT_EQ(a[i][j], ++count);
    dispose_sym2(a, n);
}

TEST_F(SymmetricArrays, ThreeIndexesOfThreeComponentsHoldTen) {
    const int n = 3;
    double*** a = sym3alloc(n);
    int count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k) {
                EXPECT_EQ(a[i][j][k], 0.0);
                a[i][j][k] = ++count;
            }
    EXPECT_EQ(count, 10);
    count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k) EXPECT_EQ(a[i][j][k], ++count);
    dispose_sym3(a, n);
    EXPECT_EQ(count, 10);
}

TEST_F(SymmetricArrays, FourAndFiveIndexes) {
    const int n = 4;
    double**** a4 = sym4alloc(n);
    double***** a5 = sym5alloc(n);
    int c4 = 0, c5 = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k)
                for (int l = 0; l <= k; ++l) {
                    EXPECT_EQ(a4[i][j][k][l], 0.0);
                    a4[i][j][k][l] = ++c4;
                    for (int m = 0; m <= l; ++m) {
                        EXPECT_EQ(a5[i][j][k][l][m], 0.0);
                        a5[i][j][k][l][m] = ++c5;
                    }
                }
    EXPECT_EQ(c4, 35);  // C(n + 3, 4)
    EXPECT_EQ(c5, 56);  // C(n + 4, 5)
    c4 = c5 = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k)
                for (int l = 0; l <= k; ++l) {
                    EXPECT_EQ(a4[i][j][k][l], ++c4);
                    for (int m = 0; m <= l; ++m) EXPECT_EQ(a5[i][j][k][l][m], ++c5);
                }
    dispose_sym4(a4, n);
    dispose_sym5(a5, n);
}

TEST_F(SymmetricArrays, DisposeSkipsNulls) {
    dispose_sym2(nullptr, 3);
    dispose_sym5(nullptr, 3);
    double*** a = sym3alloc(2);
    delete[] a[1][0];
    a[1][0] = nullptr;  // a level released elsewhere
    dispose_sym3(a, 2);
}

TEST(Matrices, AllocateZeroedAndDispose) {
    double* v = allocate(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v[i], 0.0);
    delete[] v;
    double** m = allocate2(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(m[i][j], 0.0);
    delete[] m[1];
    m[1] = nullptr;
    dispose(m, 3);
    dispose(nullptr, 3);
}

TEST(Matrices, Printers) {
    double** m = allocate2(2, 2);
    m[0][0] = 1;
    m[1][1] = -2.5;
    FILE* f = std::tmpfile();
    printMatrix(f, m, 2, 2);
    printVector(f, m[1], 2);
    std::rewind(f);
    char buffer[256] = {};
    size_t got = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buffer, got),
              "\t1.000000\t0.000000\n\t0.000000\t-2.500000\n\t0.000000\t-2.500000\n");
    dispose(m, 2);
}

}  // namespace
}  // namespace vornex

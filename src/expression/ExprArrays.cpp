#include "expression/ExprArrays.h"
#include "numerics/Decimal.h"

#include <cstdio>
#include <cstdlib>

namespace vornex {

void checkIndexes(const int* index, int count, int size, const char* name) {
    static const char* const kNames[] = {"i", "j", "k", "l", "m"};
    const char* label = name ? name : "noname";
    if (index[0] >= size) {
        vornex::cfprintf(stderr, "Expression 1D %s :\n", label);
        vornex::cfprintf(stderr, "\tIndex %d too high for the dimension (%d).\n", index[0], size);
        vornex::cfprintf(stderr, "\tYou have probably missed a setSize instruction.\n");
        vornex::cfprintf(stderr, "\tThis is a serious problem. Correct it immediately.\n");
        std::exit(1);
    }
    for (int d = 1; d < count; ++d) {
        if (index[d] > index[d - 1]) {
            vornex::cfprintf(stderr, "Expression 1D %s :\n", label);
            vornex::cfprintf(stderr, "\tIndex (%s) %d than index (%s) %d.\n", kNames[d], index[d],
                         kNames[d - 1], index[d - 1]);
            vornex::cfprintf(stderr, "\tThis is a serious problem. Verify your code.\n");
            std::exit(1);
        }
    }
    // A negative index would address memory before the array.
    for (int d = 0; d < count; ++d) {
        if (index[d] < 0) {
            vornex::cfprintf(stderr, "Expression 1D %s :\n", label);
            vornex::cfprintf(stderr, "\tIndex (%s) %d is negative.\n", kNames[d], index[d]);
            vornex::cfprintf(stderr, "\tThis is a serious problem. Verify your code.\n");
            std::exit(1);
        }
    }
}

void expression_allocate(Expression*** p, int n) {
    *p = new Expression*[n > 0 ? n : 0]();
}

void expression_sym2alloc(Expression**** p, int n) {
    if (n < 0) n = 0;
    Expression** block = new Expression*[n * (n + 1) / 2 + 1]();
    Expression*** rows = new Expression**[n + 1];
    rows[0] = block;  // kept even for n = 0, so that the free routine finds the block
    for (int i = 0; i < n; ++i) rows[i] = block + i * (i + 1) / 2;
    *p = rows;
}

void expression_sym3alloc(Expression***** p, int n) {
    *p = allocateSlots<3>(n > 0 ? n : 0);
}
void expression_sym4alloc(Expression****** p, int n) {
    *p = allocateSlots<4>(n > 0 ? n : 0);
}
void expression_sym5alloc(Expression******* p, int n) {
    *p = allocateSlots<5>(n > 0 ? n : 0);
}

void expression_free(Expression*** p) {
    delete[] * p;
    *p = nullptr;
}

void expression_sym2free(Expression**** p) {
    if (!*p) return;
    delete[](*p)[0];
    delete[] * p;
    *p = nullptr;
}

void expression_sym3free(Expression***** p, int n) {
    freeSlots<3>(*p, n);
    *p = nullptr;
}
void expression_sym4free(Expression****** p, int n) {
    freeSlots<4>(*p, n);
    *p = nullptr;
}
void expression_sym5free(Expression******* p, int n) {
    freeSlots<5>(*p, n);
    *p = nullptr;
}

}  // namespace vornex

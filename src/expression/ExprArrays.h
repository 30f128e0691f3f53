// Named arrays of node pointers with one to five symmetric indexes (Expr1 ... Expr5), which
// check their indexes and name each element after the array, as in a(2,1); and the free
// allocators of the same shapes as bare pointer arrays. Arrays hold nodes, never own them.
//
// Shapes: Expr1 (i) n slots; Expr2 (i, j), j <= i: row i holds i+1 slots; Expr3 row i holds
// i+1 sub-rows, sub-row j holds j+1 slots; Expr4 and Expr5 one and two levels deeper.
// Every level is a separately allocated array.
#pragma once

#include <string>

#include "expression/Expression.h"

namespace vornex {

// Expression*, Expression**, ... : the type of a nested array of D levels.
template <int D>
struct NestedSlots {
    using type = typename NestedSlots<D - 1>::type*;
};
template <>
struct NestedSlots<0> {
    using type = Expression*;
};
template <int D>
using Slots = typename NestedSlots<D>::type;

// D levels: `count` entries, entry i of the next level holding i + 1 entries; all null.
template <int D>
Slots<D> allocateSlots(int count) {
    if constexpr (D == 1) {
        return new Expression*[count]();
    } else {
        Slots<D> level = new Slots<D - 1>[count];
        for (int i = 0; i < count; ++i) level[i] = allocateSlots<D - 1>(i + 1);
        return level;
    }
}

template <int D>
void freeSlots(Slots<D> level, int count) {
    if (!level) return;
    if constexpr (D > 1) {
        for (int i = 0; i < count; ++i) freeSlots<D - 1>(level[i], i + 1);
    }
    delete[] level;
}

// Prints the failure of an index tuple of `count` indexes and ends the process; returns when
// the tuple is valid.
void checkIndexes(const int* index, int count, int size, const char* name);

template <int D>
class ExprArray {
   public:
    Slots<D> elements = nullptr;
    int32_t size = 0;

    ExprArray() = default;
    ExprArray(const ExprArray&) = delete;
    ExprArray& operator=(const ExprArray&) = delete;
    ~ExprArray() { freeSlots<D>(elements, size); }

    // Allocates the shape for n, every slot null (a former shape is freed, not its nodes).
    void setSize(int n) {
        freeSlots<D>(elements, size);
        size = n < 0 ? 0 : n;
        elements = size > 0 ? allocateSlots<D>(size) : nullptr;
    }
    void setName(const char* base) {
        hasName_ = base != nullptr;
        name_ = base ? base : "";
    }
    const char* getName() const { return hasName_ ? name_.c_str() : nullptr; }

    // Names element (i, j, ...) base(i,j,...) when the array has a base name and the element
    // exists.
    template <class... Index>
    void setName(int i, Index... rest) {
        static_assert(sizeof...(rest) + 1 == D, "one index per dimension");
        const int index[D] = {i, rest...};
        if (!hasName_ || !valid(index)) return;
        Expression* node = slot(index);
        if (!node) return;
        std::string composed = name_ + "(";
        for (int d = 0; d < D; ++d) composed += (d ? "," : "") + std::to_string(index[d]);
        node->setName((composed + ")").c_str());
    }

    // Validates an index tuple; on failure prints the reason on standard error and ends the
    // process with status 1.
    template <class... Index>
    void check_index(int i, Index... rest) const {
        static_assert(sizeof...(rest) + 1 == D, "one index per dimension");
        const int index[D] = {i, rest...};
        checkIndexes(index, D, size, getName());
    }

    // The slot at a checked index tuple.
    template <class... Index>
    Expression*& at(int i, Index... rest) {
        check_index(i, rest...);
        const int index[D] = {i, rest...};
        return slot(index);
    }

   private:
    bool valid(const int* index) const {
        if (index[0] < 0 || index[0] >= size) return false;
        for (int d = 1; d < D; ++d) {
            if (index[d] < 0 || index[d] > index[d - 1]) return false;
        }
        return true;
    }
    Expression*& slot(const int* index) { return slotOf<D>(elements, index); }
    template <int L>
    static Expression*& slotOf(Slots<L> level, const int* index) {
        if constexpr (L == 1) {
            return level[index[0]];
        } else {
            return slotOf<L - 1>(level[index[0]], index + 1);
        }
    }

    std::string name_;
    bool hasName_ = false;
};

using Expr1 = ExprArray<1>;
using Expr2 = ExprArray<2>;
using Expr3 = ExprArray<3>;
using Expr4 = ExprArray<4>;
using Expr5 = ExprArray<5>;

// n node pointers, all null.
void expression_allocate(Expression*** p, int n);
// One block of n(n+1)/2 null pointers and n row pointers into it (row i at i(i+1)/2).
void expression_sym2alloc(Expression**** p, int n);
void expression_sym3alloc(Expression***** p, int n);
void expression_sym4alloc(Expression****** p, int n);
void expression_sym5alloc(Expression******* p, int n);
// Release the arrays of the allocators above (never the nodes); the pointer becomes null.
void expression_free(Expression*** p);
void expression_sym2free(Expression**** p);
void expression_sym3free(Expression***** p, int n);
void expression_sym4free(Expression****** p, int n);
void expression_sym5free(Expression******* p, int n);

}  // namespace vornex

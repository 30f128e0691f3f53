// Packing of the symmetric derivative tensors of an expression node, and the tables of
// dependent index sets that drive the chain-rule and Leibniz kernels.
//
// A node of n variables keeps its value and its derivatives of orders 1 to 4 in one
// contiguous block of doubles:
//
//     [ value | d1 (n) | d2 (n(n+1)/2) | d3 (n(n+1)(n+2)/6) | d4 (n(n+1)(n+2)(n+3)/24) ]
//
// Every unordered index set is stored once, indices in non-increasing order:
//     pair   (i, j),       i >= j           at i(i+1)/2 + j
//     triple (i, j, k),    i >= j >= k      at i(i+1)(i+2)/6 + j(j+1)/2 + k
//     quad   (i, j, k, l), i >= ... >= l    at i(i+1)(i+2)(i+3)/24 + triple(j, k, l)
// within the section of its order. Entries whose indices are all below m form a prefix of
// each section, so the entries of the first m variables are contiguous. Every node of one
// graph has the same n and therefore the same positions, which is what lets a parent read
// a child's entry at the position of its own.
#pragma once

#include <memory>
#include <vector>

namespace vornex {

constexpr int kMaxDerivativeOrder = 4;

constexpr int packedPair(int i, int j) {
    return i * (i + 1) / 2 + j;
}
constexpr int packedTriple(int i, int j, int k) {
    return i * (i + 1) * (i + 2) / 6 + j * (j + 1) / 2 + k;
}
constexpr int packedQuad(int i, int j, int k, int l) {
    return i * (i + 1) * (i + 2) * (i + 3) / 24 + packedTriple(j, k, l);
}

// Number of unordered index sets of the given order over n variables: C(n+order-1, order).
constexpr int tensorEntries(int order, int n) {
    switch (order) {
        case 0:
            return 1;
        case 1:
            return n;
        case 2:
            return n * (n + 1) / 2;
        case 3:
            return n * (n + 1) * (n + 2) / 6;
        case 4:
            return n * (n + 1) * (n + 2) * (n + 3) / 24;
        default:
            return 0;
    }
}

// Section offsets of the block for n variables with tensors up to maxOrder:
// offset[k] is the first position of order k, offset[maxOrder + 1] the block size.
struct TensorLayout {
    int n = 0;
    int maxOrder = 0;
    int offset[kMaxDerivativeOrder + 2] = {0, 1, 1, 1, 1, 1};

    TensorLayout() = default;
    TensorLayout(int nVariables, int highestOrder);

    int size() const { return offset[maxOrder + 1]; }
    // Positions counted from the start of the block (the value is position 0).
    int at(int i) const { return offset[1] + i; }
    int at(int i, int j) const { return offset[2] + packedPair(i, j); }
    int at(int i, int j, int k) const { return offset[3] + packedTriple(i, j, k); }
    int at(int i, int j, int k, int l) const { return offset[4] + packedQuad(i, j, k, l); }
    // Position of the pure derivative of the given order (0 to maxOrder) in variable var.
    int diagonal(int var, int order) const;
    // Positions of the pure derivatives of orders 0 to order in variable var.
    void diagonals(int var, int order, int* positions) const {
        positions[0] = 0;
        if (order >= 1) positions[1] = at(var);
        if (order >= 2) positions[2] = at(var, var);
        if (order >= 3) positions[3] = at(var, var, var);
        if (order >= 4) positions[4] = at(var, var, var, var);
    }
    // Number of positions holding orders 0 to order (order clamped to 0..maxOrder).
    int end(int order) const;
};

// The index sets on which one node depends, with, for each set, the block positions of all
// its sub-sets: everything the chain rule and the Leibniz rule read, computed once when the
// node's dependencies are known. Plans are shared between nodes with the same variables,
// layout and dependency flags.
//
// Entry tables, one row per dependent index set of the order, rows in packed order:
//     order 1, set (i):          [ own ]
//     order 2, set (i, j):       [ own, i, j ]
//     order 3, set (i, j, k):    [ own, i, j, k, ij, ik, jk ]
//     order 4, set (i, j, k, l): [ own, i, j, k, l, ij, ik, il, jk, jl, kl, ijk, ijl, ikl, jkl ]
// (letters stand for the block positions of those sub-sets; i >= j >= k >= l).
class IndexPlan {
   public:
    static constexpr int kRowWidth[kMaxDerivativeOrder + 1] = {1, 1, 3, 7, 15};

    // The shared plan for this layout and these flags (flags[i] != 0: dependent on i).
    static std::shared_ptr<const IndexPlan> get(const TensorLayout& layout, const int* flags);

    const TensorLayout& layout() const { return layout_; }
    // Dependent variables in increasing order.
    const std::vector<int>& variables() const { return variables_; }

    // Rows of dependent index sets of one order (1 to maxOrder).
    int rows(int order) const { return rowCount_[order]; }
    const int* table(int order) const { return tables_[order].data(); }

    // Maximal runs [first, last) of positions of the value and of the dependent entries of
    // orders 1 to order, in increasing order: what a linear node writes.
    struct Run {
        int first;
        int last;
    };
    const std::vector<Run>& runs(int order) const { return runs_[clampOrder(order)]; }

    IndexPlan(const TensorLayout& layout, std::vector<int> variables);

   private:
    int clampOrder(int order) const;

    TensorLayout layout_;
    std::vector<int> variables_;
    std::vector<int> tables_[kMaxDerivativeOrder + 1];
    int rowCount_[kMaxDerivativeOrder + 1] = {1, 0, 0, 0, 0};
    std::vector<Run> runs_[kMaxDerivativeOrder + 1];
};

}  // namespace vornex

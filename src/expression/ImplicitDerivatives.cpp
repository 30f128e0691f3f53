#include "expression/ImplicitDerivatives.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vornex {

namespace {

// A set partition of the positions 0 ... K-1 of a tuple: position p lies in block of[p].
// Blocks are numbered in the order of their first position, so that each block's positions
// increase and its sub-tuple of a sorted tuple is sorted too.
struct Partition {
    int blocks;
    int of[kMaxDerivativeOrder];
};

void addPartitions(int K, int p, int blocks, Partition& current, std::vector<Partition>& out) {
    if (p == K) {
        current.blocks = blocks;
        out.push_back(current);
        return;
    }
    for (int b = 0; b <= blocks; ++b) {
        current.of[p] = b;
        addPartitions(K, p + 1, std::max(blocks, b + 1), current, out);
    }
}

const std::vector<Partition>& partitionsOf(int K) {
    static const std::array<std::vector<Partition>, kMaxDerivativeOrder + 1> all = [] {
        std::array<std::vector<Partition>, kMaxDerivativeOrder + 1> table;
        for (int k = 1; k <= kMaxDerivativeOrder; ++k) {
            Partition p{};
            addPartitions(k, 0, 0, p, table[k]);
        }
        return table;
    }();
    return all[K];
}

// The sub-tuples of the blocks of a partition of the sorted tuple I.
struct Blocks {
    int count = 0;
    int size[kMaxDerivativeOrder] = {};
    int idx[kMaxDerivativeOrder][kMaxDerivativeOrder] = {};

    Blocks(const Partition& pi, int K, const int* I) : count(pi.blocks) {
        for (int p = 0; p < K; ++p) {
            const int b = pi.of[p];
            idx[b][size[b]++] = I[p];
        }
    }
};

double read(const Expression& e, const int* idx, int r) {
    if (r > e.allocatedOrder()) return 0.0;
    return e.block()[positionOf(e.layout(), idx, r)];
}

// Sorted copy (largest first) of the variables chosen for the blocks.
void sortedVariables(const int* chosen, int count, int* sorted) {
    for (int p = 0; p < count; ++p) {
        int q = p;
        for (; q > 0 && sorted[q - 1] < chosen[p]; --q) sorted[q] = sorted[q - 1];
        sorted[q] = chosen[p];
    }
}

}  // namespace

int positionOf(const TensorLayout& L, const int* idx, int r) {
    switch (r) {
        case 0:
            return 0;
        case 1:
            return L.at(idx[0]);
        case 2:
            return L.at(idx[0], idx[1]);
        case 3:
            return L.at(idx[0], idx[1], idx[2]);
        default:
            return L.at(idx[0], idx[1], idx[2], idx[3]);
    }
}

void implicitRightHandSide(Expression* const* f, Expression* const* u, int nu, int K, const int* I,
                           double* rhs) {
    std::fill(rhs, rhs + nu, 0.0);
    for (const Partition& pi : partitionsOf(K)) {
        const Blocks blocks(pi, K, I);
        // Each block takes an unknown m < nu (factor: the derivative of u_m over the block)
        // or, when it is a single index, the parameter itself (graph variable nu + index,
        // factor 1). choice[b] == nu stands for the parameter.
        int choice[kMaxDerivativeOrder] = {};
        for (;;) {
            const bool highest = blocks.count == 1 && choice[0] < nu;
            bool valid = !highest;
            for (int b = 0; b < blocks.count && valid; ++b)
                valid = choice[b] < nu || blocks.size[b] == 1;
            if (valid) {
                double factor = 1.0;
                int variables[kMaxDerivativeOrder];
                for (int b = 0; b < blocks.count; ++b) {
                    if (choice[b] < nu) {
                        factor *= read(*u[choice[b]], blocks.idx[b], blocks.size[b]);
                        variables[b] = choice[b];
                    } else {
                        variables[b] = nu + blocks.idx[b][0];
                    }
                }
                if (factor != 0.0) {
                    int sorted[kMaxDerivativeOrder];
                    sortedVariables(variables, blocks.count, sorted);
                    for (int k = 0; k < nu; ++k)
                        rhs[k] -= read(*f[k], sorted, blocks.count) * factor;
                }
            }
            int b = 0;
            while (b < blocks.count && ++choice[b] > nu) choice[b++] = 0;
            if (b == blocks.count) break;
        }
    }
}

double composedDerivative(const Expression& g, Expression* const* v, int nv, int K, const int* I) {
    double total = 0.0;
    for (const Partition& pi : partitionsOf(K)) {
        const Blocks blocks(pi, K, I);
        int choice[kMaxDerivativeOrder] = {};
        for (;;) {
            double factor = 1.0;
            for (int b = 0; b < blocks.count && factor != 0.0; ++b)
                factor *= read(*v[choice[b]], blocks.idx[b], blocks.size[b]);
            if (factor != 0.0) {
                int sorted[kMaxDerivativeOrder];
                sortedVariables(choice, blocks.count, sorted);
                total += read(g, sorted, blocks.count) * factor;
            }
            int b = 0;
            while (b < blocks.count && ++choice[b] == nv) choice[b++] = 0;
            if (b == blocks.count) break;
        }
    }
    return total;
}

void checkEquationGraph(FILE* out, Expression& f, double* x, double* h) {
    f.initialize_the_graph();
    f.set_variable_values(x);
    Expression::recomputeLeaves(x);
    f.calculate(Expression::sDerivOrder);
    f.initialize_the_graph();
    f.printValues(out);
    f.initialize_the_graph();
    f.printFormulas(out);
    f.check_dependencies(out);
    f.check1(out, x, h);
    f.check2(out, x, h);
    f.check3(out, x, h);
    f.check4(out, x, h);
}

}  // namespace vornex

// SeparableNode: a node f(u, v) of two children, u depending on one variable of the graph
// and v on another (as tau on T and delta on V), whose own partial derivatives
//     f_ij = d^(i+j) f / du^i dv^j
// a subclass computes in one pass. The derivatives with respect to the graph's variables
// then follow from the chain rule in each child separately (Faa di Bruno through the
// partial Bell polynomials of each child's pure derivatives). A node tied otherwise
// reports it once and sets sError.
#pragma once

#include <string>

#include "expression/BinOp.h"

namespace vornex {

class SeparableNode : public BinOp {
   public:
    void calculate(int order) override;
    void calculate(int order, int var) override;

   protected:
    // A coefficient or exponent as printed in the formula of a term: the shortest text that
    // reads back as the same double.
    static std::string exact(double x);
    // One term of the node's formula, a line of its own below the node's.
    void printTerm(FILE* f, const std::string& name, const std::string& formula) const;

    // f_ij at (u, v) for i <= orderU, j <= orderV and i + j <= max(orderU, orderV), both at
    // most 4. Entries outside that range are not read.
    virtual void partials(double atU, double atV, int orderU, int orderV, double f[5][5]) = 0;

   private:
    bool locateVariables();
    void locatePositions(int k);
    int positions_[5][5] = {};
    int positionsFor_[4] = {-2, -2, -1, -1};  // varU_, varV_, order, variables
    int varU_ = -1, varV_ = -1;               // the graph variable each child depends on
    bool reported_ = false;
};

}  // namespace vornex

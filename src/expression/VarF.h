// Composition products: the monomial M = x_i x_j ... (d factors, indices may repeat) of n
// consecutive graph variables, x_p being graph variable s + p, with its exact derivatives
// up to fourth order. Each composition sum of degree d (SumF.h) owns one product node of
// that degree and moves it from index set to index set; nothing else creates them.
//
// An index set is given in non-increasing order with its pattern code: the base-2 digits
// of the code, most significant first, say for each adjacent pair of the set whether the
// first index is strictly greater (1) or equal (0), e.g. for degree 3: 0 (i,i,i), 1 (i,i,j),
// 2 (i,j,j), 3 (i,j,k). The derivative over a sub-multiset with r_v of the m_v occurrences
// of each variable v is prod_v m_v!/(m_v - r_v)! x_v^(m_v - r_v); these are the only
// entries written, and the next index set sets exactly them back to 0, so the node always
// holds the monomial of its last index set and zero elsewhere.
#pragma once

#include <vector>

#include "expression/PolyVar.h"

namespace vornex {

class VarF : public PolyVar {
   public:
    static constexpr int kMaxDegree = 5;

    // n composition values x_0 ... x_(n-1), graph variables firstIndex ... endIndex - 1.
    int32_t numberOfXVariables = 0;
    std::vector<double> composition;
    int32_t firstIndex = 0;
    int32_t endIndex = 0;

    const char* getType() override { return "VarF"; }
    bool isDependent(int var) override { return var >= firstIndex && var < endIndex; }
    void set_variable_values(double* v) override;

    // Sizes the composition (n values, all 0) and places it at graph variables s ... s+n-1.
    void setComposition(int n);
    void setStartingIndex(int s);
    int degree() const { return degree_; }

    // The index-set protocol shared by the four degrees (their `components` and
    // `calculate`), through which a sum of any degree drives its product.
    // Cleans what the previous index set wrote, then stores the new set (d indices in
    // non-increasing order) and its code.
    void select(const int* indices, short code);
    // The monomial of the stored set and its derivatives up to order (4 or more, or a
    // negative order: all four). The computed flag is neither tested nor set.
    void evaluate(int order);

   protected:
    explicit VarF(int degree) : degree_(degree) {}
    // True when var is the graph index of one of the current indices.
    bool inCurrentSet(int var) const;

   private:
    // The distinct graph variables of the current set, largest first, with their
    // multiplicities and values.
    struct Factor {
        int variable;
        int multiplicity;
        double value;
    };
    // Writes (write = true) or zeroes the entries of the sub-multisets of the current set
    // with sizes 1 to maxOrder.
    void visitEntries(int maxOrder, bool write);
    void visitFrom(int factor, int size, int maxOrder, int* chosen, bool write);

    int degree_;
    int indices_[kMaxDegree] = {};
    short code_ = 0;
    Factor factors_[kMaxDegree] = {};
    int factorCount_ = 0;  // 0: no index set selected yet
};

class VarX2 : public VarF {
   public:
    VarX2() : VarF(2) {}
    const char* getType() override { return "VarX2"; }
    bool isDependent(int var) override { return inCurrentSet(var); }
    void calculate(int order) override { evaluate(order); }
    void calculate(int order, int) override { evaluate(order); }
    void components(int i, int j, short code);
};

class VarX3 : public VarF {
   public:
    VarX3() : VarF(3) {}
    const char* getType() override { return "VarX3"; }
    bool isDependent(int var) override { return inCurrentSet(var); }
    void calculate(int order) override { evaluate(order); }
    void calculate(int order, int) override { evaluate(order); }
    void components(int i, int j, int k, short code);
};

class VarX4 : public VarF {
   public:
    VarX4() : VarF(4) {}
    const char* getType() override { return "VarX4"; }
    bool isDependent(int var) override { return inCurrentSet(var); }
    void calculate(int order) override { evaluate(order); }
    void calculate(int order, int) override { evaluate(order); }
    void components(int i, int j, int k, int l, short code);
};

class VarX5 : public VarF {
   public:
    VarX5() : VarF(5) {}
    const char* getType() override { return "VarX5"; }
    bool isDependent(int var) override { return inCurrentSet(var); }
    void calculate(int order) override { evaluate(order); }
    void calculate(int order, int) override { evaluate(order); }
    void components(int i, int j, int k, int l, int m, short code);
};

}  // namespace vornex

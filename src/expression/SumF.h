// Composition sums, the symmetric mixing rules of the mixture equations of state:
//     SumX2  S = sum_i sum_j x_i x_j u_ij
//     SumX3  S = sum_i sum_j sum_k x_i x_j x_k u_ijk
//     SumX4, SumX5 the same with four and five indices,
// every index over the n components, x_p being graph variable s + p (s = 2 in the Helmholtz
// terms, after T and V), and u a symmetric table of child nodes, one per unordered index
// set, which may depend on any graph variable. Each sum runs over the sorted index sets
// only, weighting each by its multiplicity d!/prod m! (the ordered tuples that sort to it),
// and adds the child times the composition product of the set (VarF.h) with all
// derivatives up to fourth order by the Leibniz rule.
//
// Set-up: construct; defineXVariables(s, n) (or number_of_xvariables(n) and
// starting_index(s), then install a child table of the nested shape of ExprArrays.h into
// `table`); tie every index set (tie_ij, tie_ijk, ...); then the graph's sequence.
//
// The child table is nested, indices non-increasing: SumX2 table[i][j] (j <= i), SumX3
// table[i][j][k], and so on. Table order is i from 0, then j from 0 to i, and so on.
// Index sets are accumulated in visiting order: for each i the all-equal set, then for each
// j < i the sets of the two values i > j (repetition counts in decreasing lexicographic
// order), within j for each k < j the sets of three values, and so on. This order fixes the
// rounding of the sums.
#pragma once

#include <vector>

#include "expression/ExprArrays.h"
#include "expression/MultOp.h"
#include "expression/VarF.h"

namespace vornex {

class SumF : public MultOp {
   public:
    // The composition product of the sum's degree; owned.
    VarF* product = nullptr;
    // The operands of the index set being accumulated.
    Expression* current = nullptr;
    double u = 0.0;
    double P = 0.0;

    ~SumF() override;
    const char* getType() override { return "SumF"; }
    void number_of_variables(int n) override;
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    void check_pointers(FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    void printValues(FILE* f) override;
    Expression* findByName(const char* name) override;
    // Sets the number of components (number_of_xvariables).
    void number_of_terms(int n) override;

    // Accumulators of one index set, weighted by its multiplicity w; graph indices
    // i >= j >= k >= l.
    virtual void calculate_value(double w);
    virtual void calculate_d(double w, int i);
    virtual void calculate_d2(double w, int i, int j);
    virtual void calculate_d3(double w, int i, int j, int k);
    virtual void calculate_d4(double w, int i, int j, int k, int l);
    // Number of components (the product's composition); returns the number of index sets.
    virtual int number_of_xvariables(int n) = 0;
    // Graph index of x_0; returns s + n.
    virtual int starting_index(int s) = 0;
    // Copies x_0 ... x_(n-1) to the product and marks the sum (only) for recalculation.
    virtual void set_xvariables(double* x) = 0;

    // number_of_xvariables(n), starting_index(s) and an empty child table of the sum's own.
    void defineXVariables(int s, int n);

    // One index set over the sum's dependent variables, orders 1 to K (with the value).
    void calculate1(double w);
    void calculate2(double w);
    void calculate3(double w);
    void calculate4(double w);
    // The same for the pure derivatives in var.
    void calculate1(double w, int var);
    void calculate2(double w, int var);
    void calculate3(double w, int var);
    void calculate4(double w, int var);

    int degree() const { return product->degree(); }

   protected:
    explicit SumF(VarF* product_) : product(product_) {}

    // The slot of a sorted index set in the installed table (null without a table).
    virtual Expression** slot(const int* indices) = 0;
    // Allocates an empty table of the sum's own for the current n.
    virtual void allocateTable() = 0;
    // The shared part of number_of_xvariables: n, the product's composition and the
    // index sets in visiting order.
    int setComponents(int n);
    int setStart(int s);
    void setComposition(const double* x);
    // Ties u at a sorted index set, counted; false when the set is not a valid one.
    bool tieSet(const int* indices, Expression* child);
    // Releases the children of the installed table (table order).
    void releaseChildren();

   private:
    struct IndexSet {
        int indices[VarF::kMaxDegree];
        short code;
        double weight;
    };
    void addSets(int* values, int count);
    void addPatterns(const int* values, int count, int* repeats, int part, int left);
    // Every slot in table order, null entries included, into children_.
    void gather();
    // Reports an empty table on standard error; true when every set has a child.
    bool complete();
    // The operands of one index set, the product evaluated to order.
    void select(const IndexSet& set, int order);
    int passOrder(int order) const;
    void pass(int order, int var);
    void printSet(FILE* f, const IndexSet& set);

    std::vector<IndexSet> sets_;
    std::vector<Expression*> children_;
};

// The table and the protocol of one degree.
template <int D>
class SumXD : public SumF {
   public:
    // The child table, nested D levels deep; the sum's own (defineXVariables) or installed
    // by the owner (for instance from expression_sym2alloc ... expression_sym5alloc).
    Slots<D> table = nullptr;

    // A sum held by a parent or owner (count above 0) leaves its children to it; otherwise
    // it releases them. Its own table is freed in either case, an installed one never.
    ~SumXD() override {
        if (parentCount > 0) {
            --parentCount;
        } else {
            releaseChildren();
        }
        freeSlots<D>(ownTable_, ownSize_);
    }
    int number_of_xvariables(int n) override {
        if (ownTable_ && n != ownSize_) dropOwnTable();
        return setComponents(n);
    }
    int starting_index(int s) override { return setStart(s); }
    void set_xvariables(double* x) override { setComposition(x); }

   protected:
    explicit SumXD(VarF* product_) : SumF(product_) {}

    Expression** slot(const int* idx) override {
        if (!table) return nullptr;
        if constexpr (D == 2) {
            return &table[idx[0]][idx[1]];
        } else if constexpr (D == 3) {
            return &table[idx[0]][idx[1]][idx[2]];
        } else if constexpr (D == 4) {
            return &table[idx[0]][idx[1]][idx[2]][idx[3]];
        } else {
            return &table[idx[0]][idx[1]][idx[2]][idx[3]][idx[4]];
        }
    }
    void allocateTable() override {
        dropOwnTable();
        ownSize_ = numberOfTerms;
        ownTable_ = ownSize_ > 0 ? allocateSlots<D>(ownSize_) : nullptr;
        table = ownTable_;
    }

   private:
    void dropOwnTable() {
        if (!ownTable_) return;
        if (table == ownTable_) {
            releaseChildren();
            table = nullptr;
        }
        freeSlots<D>(ownTable_, ownSize_);
        ownTable_ = nullptr;
        ownSize_ = 0;
    }

    Slots<D> ownTable_ = nullptr;
    int ownSize_ = 0;
};

class SumX2 : public SumXD<2> {
   public:
    // n(n+1)/2.
    int32_t numberOfPairs = 0;

    SumX2() : SumXD<2>(new VarX2) {}
    const char* getType() override { return "SumX2"; }
    int number_of_xvariables(int n) override;
    // The product of two variables has no third or fourth derivatives: their terms go.
    void calculate_d3(double w, int i, int j, int k) override;
    void calculate_d4(double w, int i, int j, int k, int l) override;
    // n > i >= j >= 0; otherwise a message and nothing stored.
    void tie_ij(int i, int j, Expression* child);
};

class SumX3 : public SumXD<3> {
   public:
    SumX3() : SumXD<3>(new VarX3) {}
    const char* getType() override { return "SumX3"; }
    void tie_ijk(int i, int j, int k, Expression* child);
};

class SumX4 : public SumXD<4> {
   public:
    SumX4() : SumXD<4>(new VarX4) {}
    const char* getType() override { return "SumX4"; }
    void tie_ijkl(int i, int j, int k, int l, Expression* child);
};

// Reports its type as "SumF".
class SumX5 : public SumXD<5> {
   public:
    SumX5() : SumXD<5>(new VarX5) {}
    void tie_ijklm(int i, int j, int k, int l, int m, Expression* child);
};

}  // namespace vornex

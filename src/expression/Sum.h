// Linear combinations: Sum (sum of c_i * child_i + c_n over n children), Sum1 (a*u + b) and
// Sum2 (a*u + b*v + c).
#pragma once

#include <vector>

#include "expression/BinOp.h"
#include "expression/MultOp.h"
#include "expression/UnOp.h"

namespace vornex {

class Sum : public MultOp {
   public:
    // n child slots (null until tied) and n + 1 coefficients, the last the constant term.
    std::vector<Expression*> terms;
    std::vector<double> coefficients;

    ~Sum() override;
    void number_of_variables(int n) override;
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    bool hasLeaves() override;
    void check_pointers(FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    // Ties exactly n children, in order.
    void tie_(Expression* first, ...) override;
    // Sets c_0 ... c_(n-1), then the constant.
    void set_scalars_(double first, ...) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    void printValues(FILE* f) override;
    Expression* findByName(const char* name) override;
    // Allocates n empty slots and n + 1 coefficients (0); releases children tied before.
    void number_of_terms(int n) override;

    // Child i (0 <= i < n); an index outside the table is reported and ignored.
    void tiei(int i, Expression& child);
    Expression* tieip(int i, Expression* child);
    // c[0] ... c[n].
    void set_scalarsx(const double* c);
    // Coefficient i; i = n is the constant term.
    void set_scalar(int i, double c);

   private:
    void releaseTerms();
};

class Sum1 : public UnOp {
   public:
    double a = 1.0;
    double b = 0.0;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars2(double a_, double b_) override;
    void printFormula(FILE* f) override;
};

class Sum2 : public BinOp {
   public:
    double a = 1.0;
    double b = 1.0;
    double c = 0.0;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars3(double a_, double b_, double c_) override;
    void printFormula(FILE* f) override;
};

}  // namespace vornex

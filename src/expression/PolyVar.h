// Nodes that are explicit functions of several input variables of the graph: PolyVar is
// their base; Linear narrows it to a contiguous range of n variables x_0 ... x_(n-1) read
// from graph variables first ... first + n - 1 (the mole fractions of a Helmholtz term,
// first = 2); on it stand the forms with constant coefficients
//     LineaX   L = sum_i a_i x_i
//     LineaX2  Q = sum_i a_ii x_i^2 + sum_(j<i) 2 a_ij x_i x_j
//     LineaX3  C = sum_i a_iii x_i^3 + sum_(j<i) 3 (a_iij x_i^2 x_j + a_ijj x_i x_j^2)
//                  + sum_(k<j<i) 6 a_ijk x_i x_j x_k
// the symmetric linear, quadratic and cubic mixing rules, each coefficient set stored once,
// packed: pair (i, j), j <= i, at i(i+1)/2 + j; triple (i, j, k), i >= j >= k, at
// i(i+1)(i+2)/6 + j(j+1)/2 + k. The owning term writes `coefficients` in that order.
#pragma once

#include <vector>

#include "expression/Function.h"

namespace vornex {

class PolyVar : public Function {
   public:
    // The values of all m graph variables, as last handed to set_variable_values.
    std::vector<double> variableValues;

    void number_of_variables(int m) override;
    void set_variable_values(double* x) override;
};

class Linear : public PolyVar {
   public:
    int32_t n = 0;
    int32_t numberOfCoefficients = 0;
    // x_0 ... x_(n-1): graph variables first ... first + n - 1.
    std::vector<double> x;
    std::vector<double> coefficients;
    int32_t first = 0;

    const char* getType() override { return "Linear"; }
    bool isDependent(int i) override { return i >= first && i < first + n; }
    void set_variable_values(double* v) override;
    virtual void defineXVariables(int first, int n);

   protected:
    // True when the range lies inside the sized variables; otherwise says so on standard
    // error, since the form would read and write outside the graph's arrays.
    bool rangeFits();
    // Stores first and n, sizes x, and `count` zero coefficients.
    void defineRange(int first_, int n_, int count);
    // "<margin>N = " of the formula lines.
    void printHead(FILE* f);
};

class LineaX : public Linear {
   public:
    void calculate(int order) override;
    void calculate(int order, int var) override;
    // a_0 ... a_(n-1); the next calculation uses them.
    void set_scalars_(double first, ...) override;
    void printFormula(FILE* f) override;
    void defineXVariables(int first, int n) override;
    void clean(int order);
};

class LineaX2 : public Linear {
   public:
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;
    void defineXVariables(int first, int n) override;
    // The value and the entries of orders 1 to order inside the range.
    void clean(int order);
};

class LineaX3 : public Linear {
   public:
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;
    void defineXVariables(int first, int n) override;
    void clean(int order);

   private:
    // Value and all derivatives up to `order` (at most 3) of the cubic form.
    void evaluate(int order);
};

}  // namespace vornex

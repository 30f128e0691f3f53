// Nodes whose value is an explicit function of the graph's input variables themselves
// rather than of child nodes: Function is their base; MonoVar reads one variable, FVar is
// a*x_k + b and KVar a constant.
#pragma once

#include "expression/Expression.h"

namespace vornex {

class Function : public Expression {
   public:
    const char* getType() override { return "Function"; }
};

// A function of the one input variable x_k; k is -1 (not linked) until the owner sets it.
class MonoVar : public Function {
   public:
    double variableValue = 0.0;
    int32_t variableIndex = -1;

    void set_variable_values(double* x) override;
    void check_pointers(FILE* f) override;

   protected:
    // True when the index names one of the graph's variables; otherwise says so on
    // standard error.
    bool linkedToVariable();
};

// a*x_k + b.
class FVar : public MonoVar {
   public:
    double a = 1.0;
    double b = 0.0;

    const char* getType() override { return "FVar"; }
    bool isDependent(int var) override { return var == variableIndex; }
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars2(double a, double b) override;
    void printFormula(FILE* f) override;
};

// A constant: no dependency, every derivative 0.
class KVar : public MonoVar {
   public:
    double constant = 0.0;

    const char* getType() override { return "KVar"; }
    bool isDependent(int) override { return false; }
    void check_pointers(FILE*) override {}
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars1(double value) override { constant = value; }
    void printFormula(FILE* f) override;
};

}  // namespace vornex

// One-child nodes: UnOp and the scalar functions f(u) built on it. Each class gives only its
// value and outer derivatives f', f'', f''', f''''; the chain-rule kernel does the rest.
#pragma once

#include "expression/Expression.h"

namespace vornex {

// Odd extension of x^p: -(-x)^p for x < 0.
double powo(double x, double p);
// Even extension of x^p: (-x)^p for x < 0.
double powe(double x, double p);
// f[0..order] = a*x^b and its derivatives a*b(b-1)...(b-k+1)*x^(b-k) (plain powers).
void powerDerivatives(double a, double b, double x, int order, double* f);
// The same for a*powo(x, b): odd derivatives through powe, even ones through powo.
void powoDerivatives(double a, double b, double x, int order, double* f);

class UnOp : public Operator {
   public:
    Expression* u = nullptr;

    ~UnOp() override;
    void number_of_variables(int n) override;
    const char* getType() override { return "UnOp"; }
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    bool hasLeaves() override;
    void check_pointers(FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    // Link check, then f(u) with its derivatives through the chain rule.
    void calculate(int order) override;
    void calculate(int order, int var) override;
    Expression& tie1(Expression& child) override;
    Expression* tiep1(Expression* child) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    void printValues(FILE* f) override;
    Expression* findByName(const char* name) override;

   protected:
    // With no child: "... is is not linked to another expression." on standard error.
    bool linked();
    // f[0..order] = f(u), f'(u), ... at the child's value. False when u leaves the domain
    // (the node then keeps its value).
    virtual bool outer(double x, int order, double* f);
    // "<margin>N = " for the formula lines.
    void printHead(FILE* f);
};

class Cube : public UnOp {
   public:
    double a = 1.0;
    const char* getType() override { return "cube"; }
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

class Square : public UnOp {
   public:
    double a = 1.0;
    const char* getType() override { return "square"; }
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

class Inverse : public UnOp {
   public:
    double a = 1.0;
    const char* getType() override { return "inverse"; }
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

class Inverse2 : public UnOp {
   public:
    double a = 1.0;
    const char* getType() override { return "inverse2"; }
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

// a + b*exp(c*u); with a = -b, b*expm1(c*u).
class Exponential : public UnOp {
   public:
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    const char* getType() override { return "Exponential"; }
    void set_scalars3(double a_, double b_, double c_) override;
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

// a*ln(u + b) + c; u + b <= 0 raises sError.
class Logarithm : public UnOp {
   public:
    double a = 1.0;
    double b = 0.0;
    double c = 0.0;
    const char* getType() override { return "logarithm"; }
    void set_scalars3(double a_, double b_, double c_) override;
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

// a*u^b + c.
class Power : public UnOp {
   public:
    double a = 1.0;
    double b = 1.0;
    double c = 0.0;
    const char* getType() override { return "power"; }
    void set_scalars3(double a_, double b_, double c_) override;
    void printFormula(FILE* f) override;

   protected:
    bool outer(double x, int order, double* f) override;
};

// a*powo(u, b) + c.
class Powo : public Power {
   public:
    const char* getType() override { return "powo"; }

   protected:
    bool outer(double x, int order, double* f) override;
};

}  // namespace vornex

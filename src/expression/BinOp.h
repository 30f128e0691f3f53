// Two-child nodes: BinOp with Product a*u*v and Division a*u/v, both through the Leibniz
// kernel (the quotient as u times the chain rule of 1/v).
#pragma once

#include <memory>

#include "expression/Expression.h"

namespace vornex {

class BinOp : public Operator {
   public:
    Expression* u = nullptr;
    Expression* v = nullptr;

    ~BinOp() override;
    void number_of_variables(int n) override;
    const char* getType() override { return "BinOp"; }
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    bool hasLeaves() override;
    void check_pointers(FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void tie2(Expression& first, Expression& second) override;
    void tiep2(Expression* first, Expression* second) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    void printValues(FILE* f) override;
    Expression* findByName(const char* name) override;

   protected:
    // With a child missing: "... is is not linked to another expression." on standard error.
    bool linked();
    Expression* children_[2] = {nullptr, nullptr};
    Expression* const* children();
    // "<margin>N = U op V\n" or "<margin>N = a * U op V\n" when a is not 1.
    void printScaled(FILE* f, double a, const char* op);
};

class Product : public BinOp {
   public:
    double a = 1.0;
    const char* getType() override { return "Product"; }
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override { printScaled(f, a, "*"); }
};

class Division : public BinOp {
   public:
    double a = 1.0;
    const char* getType() override { return "Division"; }
    void number_of_variables(int n) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars1(double a_) override { a = a_; }
    void printFormula(FILE* f) override { printScaled(f, a, "/"); }

   private:
    // The block of 1/v, the second factor of the Leibniz rule.
    std::unique_ptr<double[]> reciprocal_;
    // 0/0 and the like: value and derivatives up to the order set to 0.
    bool guardQuotient(int order);
    void quotient(int order, int var, bool pure);
};

}  // namespace vornex

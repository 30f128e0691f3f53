// Selector: the value and derivatives of u where the switch x is negative, of v otherwise
// (x = -0.0 and x not a number included). It does not own its children.
#pragma once

#include "expression/Expression.h"

namespace vornex {

class Selector : public Operator {
   public:
    Expression* u = nullptr;  // taken when x < 0
    Expression* v = nullptr;  // taken when x >= 0 or x is not a number
    Expression* x = nullptr;  // the switch

    void number_of_variables(int n) override;
    const char* getType() override { return "Selector"; }
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    void check_pointers(FILE* f) override;
    void reset() override;
    void set_variable_values(double* values) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    void printValues(FILE* f) override;
    Expression* findByName(const char* name) override;
    // Stores the switch and both branches without counting them.
    virtual void tie3(Expression& xs, Expression& us, Expression& vs);

   private:
    Expression* children_[3] = {nullptr, nullptr, nullptr};
    // x, u, v: the order of the walks.
    Expression* const* children();
    // Calculates the switch and the chosen branch and copies it.
    void select(int order, int var, bool pure);
};

}  // namespace vornex

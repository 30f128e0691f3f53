// Geom: the power mean of n children, scaled and shifted,
//     G = a * ((1/n) * sum_k s(u_k))^(1/p) + c,   s(u) = sign(u) |u|^p.
// The inner sum S = sum_k s(u_k) is kept with its own derivative block; both S and G go
// through the chain-rule kernel. Geom does not own its children: ties do not count them.
#pragma once

#include <memory>
#include <vector>

#include "expression/MultOp.h"

namespace vornex {

class Geom : public MultOp {
   public:
    std::vector<Expression*> terms;
    double a = 1.0;
    double p = 0.0;  // must be set non-zero before the first calculation
    double c = 0.0;

    void number_of_variables(int n) override;
    const char* getType() override { return "Geom"; }
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    void check_pointers(FILE* f) override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void tie_(Expression* first, ...) override;
    void set_scalars3(double a_, double p_, double c_) override;
    void printFormula(FILE* f) override;
    void printFormulas(FILE* f) override;
    Expression* findByName(const char* name) override;
    void number_of_terms(int n) override;

    void tiei(int i, Expression& child);
    Expression* tieip(int i, Expression* child);
    // The value and the inner-sum derivatives up to order set to 0.
    void clean_df_derivatives(int order);
    // The inner sum S and its derivatives (same layout as the node's block).
    const double* innerSum() const { return inner_.get(); }

   private:
    // The value alone, from the children calculated with (order) or (order, var).
    void meanValue(int order, int var, bool pure);
    std::unique_ptr<double[]> inner_;
    std::unique_ptr<double[]> scratch_;
};

}  // namespace vornex

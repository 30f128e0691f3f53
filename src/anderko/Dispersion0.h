// Dispersion0: the mixture dispersion term of the Anderko-Pitzer equation of state, the
// reduced Helmholtz energy (dimensionless)
//     a_disp = -(1/(R T)) [ a/V + acb/(4V^2) + adb2/(16V^3) + aeb3/(64V^4) ],
// R = 8.31434 J/(mol K), V in m3/mol, with the 2- to 5-body mixing rules
//     a    = sum x_i x_j a_ij,           a_ii = a_i, a_ij = k_ij (a_i a_j)^(1/2)
//     acb  = sum x_i x_j x_k b_ijk p_ijk (a_i c_i a_j c_j a_k c_k)^(1/3)      (signed root)
//     adb2 = sum x_i..x_l b_ijkl^2 q_ijkl (prod a d)^(1/4)
//     aeb3 = sum x_i..x_m b_ijklm^3 r_ijklm (prod a e)^(1/5)                 (signed root)
// and the mixed covolumes b_ij.. = ((b_i^(1/3) + b_j^(1/3) + ..)/count)^3 (Anderko and
// Pitzer 1993, Geochim. Cosmochim. Acta 57, 1657, eqs. 9-14). The cross parameters
// p, q, r are 1 for an index set of one component.
//
// A subclass supplies the temperature functions a_i, c_i, d_i, e_i of the components (or
// the products a_i c_i, a_i d_i, a_i e_i directly) and the cross parameters k, p, q, r of
// every index set that mixes components. Order of construction for one system:
// preAllocateComponentsNumber(n); the subclass fills the arrays (nodes made with make());
// number_of_components(n) builds the mixing graph. A missing cross parameter is reported on
// standard error and the term is left without a graph (it then reports an error when
// evaluated) instead of building a graph with an empty slot.
//
// Graph variables: 0 T (K), 1 V (m3/mol), 2 + i the mole fraction x_i. Every node of the
// current system lives in one pool that a new system replaces whole; the temperature and
// volume leaves live as long as the term.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "anderko/Attraction.h"
#include "expression/BinOp.h"
#include "expression/ExprArrays.h"
#include "expression/Expression.h"
#include "expression/SumF.h"
#include "fluid/TermNodes.h"

namespace vornex {

class Dispersion0 : public Attraction {
   public:
    // Gas constant of the Anderko-Pitzer fits, J/(mol K).
    static constexpr double kGasConstant = 8.31434;

    Dispersion0();
    ~Dispersion0() override;

    // --- per-system data, filled by the subclass between preAllocate and build ---
    std::vector<double> b;  // covolumes b_i, m3/mol
    // Pure-component functions of T: a_i, c_i, d_i, e_i, and the products a_i c_i,
    // a_i d_i, a_i e_i (built from a, c, d, e unless the subclass provides them).
    Expr1 ai, ci, di, ei, aci, adi, aei;
    // Cross parameters of mixed index sets, indices in descending order: the pair factor k
    // (i > j), and the c, d and e cross parameters p, q, r.
    Expr2 kij;
    Expr3 cCross;
    Expr4 dCross;
    Expr5 eCross;

    // Sizes the per-system arrays for n components and starts a new node pool (the nodes
    // of a former system are released).
    void preAllocateComponentsNumber(int n);
    // Interaction::number_of_components(n), then the mixed covolumes and the mixing graph.
    void number_of_components(int n) override;
    // Mixed covolume of an index set: ((sum b^(1/3)) / count)^3, m3/mol.
    double mixedCovolume(const int* indices, int count) const;
    // Ties the mixing nodes and the four composition sums; false (with a message on
    // standard error) when a function or a cross parameter is missing.
    bool build_parse_graph();

    // K = -1/(R T) with its T derivatives. Below the lowest temperature of the installed
    // functions (or at V <= 0) the evaluation is flagged as failed instead of returning the
    // not-a-number of a fractional power of a negative base.
    void calculate_fixed_parameters() override;
    // d = 1/V, d2 = 1/(4V^2), d3 = 1/(16V^3), d4 = 1/(64V^4) with V derivatives to order 2.
    void calculate_volume_dependent_parameters() override;
    // Third and fourth derivatives of the same leaves.
    void calculate_high_order_parameters() override;
    // K depends on T only, the volume leaves on V only.
    void specify_dependencies();
    void print_parameters(FILE* out) override;

    // A new node of the current system's pool, named.
    template <class Node>
    Node& make(const std::string& name) {
        return system_->make<Node>(name);
    }
    // Nodes of the current system's pool: c u (a Sum1), u v (a Product) and u^p (a Power or
    // its signed variant Powo).
    Expression& makeScaled(const std::string& name, double c, Expression& u);
    Expression& makeProduct(const std::string& name, Expression& u, Expression& v);
    template <class PowerNode>
    Expression& makePower(const std::string& name, Expression& u, double exponent) {
        auto& r = make<PowerNode>(name);
        r.set_scalars3(1.0, exponent, 0.0);
        r.tie1(u);
        return r;
    }
    // A node of the current system (or a leaf) by name; the root is "A".
    Expression* node(const char* name);

   protected:
    TermNodes leaves_;  // K, d, d2, d3, d4: live as long as the term
    Leaf* K_;
    Leaf* d_;
    Leaf* d2_;
    Leaf* d3_;
    Leaf* d4_;
    std::unique_ptr<TermNodes> system_;  // every node of the installed system
    Expression* rootA_ = nullptr;        // "A" = K A0, null until a system is built
    int preparedComponents_ = 0;         // the n of the last preAllocate
    double lowestTemperature_ = 0.0;     // K; the functions are real above it
};

}  // namespace vornex

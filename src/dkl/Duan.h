// Duan-Moller-Weare equation of state as Helmholtz terms, a = A/(RT) in T (K), V (m3/mol)
// and the mole fractions (Duan, Moller and Weare, Geochim. Cosmochim. Acta 56 (1992) 2605
// for the pure gases, 2619 for their mixtures):
//     a = -ln V + B/V + C/(2V^2) + D/(4V^4) + E/(5V^5)
//         + (beta1 F/(2 gama)) (1 - exp(-gama/V^2)) - (F/(2V^2)) exp(-gama/V^2),
//     Z = 1 + B/V + C/V^2 + D/V^4 + E/V^5 + (F/V^2)(beta1 - 1 + gama/V^2) exp(-gama/V^2),
// with beta1 = beta + 1 and the coefficients already in volume units: B = B' Vc,
// C = C' Vc^2, D = D' Vc^4, E = E' Vc^5, F = F' Vc^2, gama = gamma' Vc^2, Vc = R Tc/Pc,
// where B' ... gamma' are the reduced coefficients of the publication,
//     B' = a1 + a2/Tr^2 + a3/Tr^3, C' = a4 + a5/Tr^2 + a6/Tr^3, D' = a7 + ..., E' = a10 + ...,
//     F' = alpha/Tr^3.
//
// Duan carries the volume leaves and the root; Duan1 (one gas) makes the seven coefficient
// nodes leaves, Duan2 (a pair of gases) makes them mixing rules over the pure constants.
// Every node lives in the term's pool; the root is deleted first.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "dkl/GraphTerm.h"
#include "expression/PolyVar.h"
#include "fluid/Interaction.h"

namespace vornex {

class Sum;
class Geom;
class SumX2;
class SumX3;
class SumX5;

class Duan : public GraphTerm<Interaction> {
   public:
    ~Duan() override;
    void number_of_components(int count) override;
    // -ln V, 1/V, 1/V^2, 1/V^4, 1/V^5 with their V derivatives, all orders at once.
    void calculate_volume_dependent_parameters() override;
    void print_parameters(FILE* out) override;

    // The seven coefficient nodes, in volume units.
    Expression* Bd = nullptr;
    Expression* Cd = nullptr;
    Expression* Dd = nullptr;
    Expression* Ed = nullptr;
    Expression* Fd = nullptr;
    Expression* beta1 = nullptr;
    Expression* gama = nullptr;

   protected:
    Duan();
    // Ties the root over the coefficient nodes, which the subclass has made; registers
    // the term as the graph's leaf-recomputation target.
    void build_parse_graph();
    // Sizes the root for count + 2 variables and marks the volume leaves on V only; the
    // caller marks its own leaves, then analyzeGraph().
    void sizeVolumeLeaves(int count);

    Leaf* mlogV_;
    Leaf* mV_;
    Leaf* mV2_;
    Leaf* mV4_;
    Leaf* mV5_;
};

// Number of constants of one gas: a1 ... a12, alpha, beta, gamma.
inline constexpr int kDuanConstants = 15;

class Duan1 : public Duan {
   public:
    Duan1();
    ~Duan1() override;
    // Only one component; any other count is refused (said on standard error) and the
    // term stays unsized, so every evaluation reports an error.
    void number_of_components(int count) override;
    // The coefficient leaves and their T derivatives; an error when no constants were set.
    void calculate_fixed_parameters() override;

    // Tc in K, Pc in bar, and the fifteen constants a1 ... a12, alpha, beta, gamma.
    void set_parameters(double Tc, double Pc, const double* constants);

    double Tc = 0.0;  // K
    double Pc = 0.0;  // Pa
    double Vc = 0.0;  // R Tc/Pc, m3/mol
    double Vc2 = 0.0, Vc4 = 0.0, Vc5 = 0.0;
    double a[kDuanConstants] = {};

   private:
    Leaf* leaf(Expression* e) { return static_cast<Leaf*>(e); }
    // The coefficient leaves depend on T and the constants only, and a volume or pressure
    // solve asks for them at every step: they are made again only when those change.
    static constexpr int kFixedInputs = kDuanConstants + 6;
    double fixedInputs_[kFixedInputs] = {};
    bool fixedValid_ = false;
    double fixedValues_[5][5] = {};
};

// k(T) = c0 + c1 T + c2 T^2 + c3/T + c4 ln T, a binary parameter of the Duan mixture,
// depending on the temperature (variable 0) only.
class BIPDuan : public PolyVar {
   public:
    double c[5] = {1.0, 0.0, 0.0, 0.0, 0.0};
    double T = 0.0;

    const char* getType() override { return "BIPDuan"; }
    bool isDependent(int var) override { return var == 0; }
    void set_variable_values(double* values) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void setCoefficients(double c0, double c1, double c2, double c3, double c4);
};

// Pairs of the Duan mixture with their interaction parameters. The parameters of a pair
// belong to its species: k2 to the C constant of two molecules of the pair's first species
// (CO2 of CO2-H2O, CH4 of CH4-H2O, CO2 of CH4-CO2), k3 to the one of two molecules of its
// second. With the pair given the other way round (water first, or CH4 before CO2) the
// term is reversed and k2 and k3 change places on its constants, so that the same mixture
// is the same fluid in either component order.
enum DuanPair : int16_t { kDuanCO2H2O = 1, kDuanCH4H2O = 2, kDuanCH4CO2 = 3 };

class Duan2 : public Duan {
   public:
    Duan2();
    ~Duan2() override;
    // Exactly two components; any other count is refused as in Duan1.
    void number_of_components(int count) override;
    // The pair parameters for the temperature, the component coefficients and the
    // composition leaves. Outside the published temperature range of the CO2-H2O and
    // CH4-H2O parameters, or where a component coefficient is 0 (its cube root has no
    // derivative), the term reports an error.
    void calculate_fixed_parameters() override;

    // Component i (0 or 1): Tc in K, Pc in bar and the fifteen constants. After the last
    // component the pseudo-critical volumes and the scale factors follow.
    void set_parameters(int i, double Tc, double Pc, const double* constants);
    void calculate_pseudo_critical_volumes();
    void calculate_virial_coefficients(int i);
    void calculate_x6_derivatives();

    int16_t selector = kDuanCH4H2O;
    // Component 0 is the second species of the pair's parameters (see DuanPair).
    bool pairReversed = false;
    bool hasComponent[2] = {false, false};
    double Tc[2] = {};
    double Pc[2] = {};
    double Vc[2] = {};
    double a[2][kDuanConstants] = {};
    // Vc(p, q) = ((p Vc0^(1/3) + q Vc1^(1/3))/(p + q))^3 of p + q = 2, 3, 5, 6.
    double pseudoVc(int p, int q) const;
    double vcpq[7][7] = {};  // the stored Vc(p, q)

   private:
    // Pair parameters at T; false (previous ones kept) outside the ranges.
    bool choosePairParameters(double TK);
    // The mixed constant of p indices of component 0 and q of component 1: the pure
    // leaf, or the power mean of p copies of leaf 0 and q of leaf 1 (times k), scaled by
    // Vc(p, q)^power (the scale written by setScales).
    Expression& mixedConstant(const std::string& name, Leaf* const* leaves, int p, int q, int power,
                              BIPDuan* k);
    void setScales();
    struct Scaled {
        Expression* node;
        int p, q, power;
    };

    Leaf* B_[2];
    Leaf* C_[2];
    Leaf* D_[2];
    Leaf* E_[2];
    Leaf* F_[2];
    Leaf* g_[2];
    BIPDuan* k_[3];
    Leaf* x6_[7];
    // Scale nodes in table order: B (3), C (4), D (6), E (7), F (3), gama (4).
    std::vector<Scaled> scaled_;
    SumX2* BdSum_;
    SumX3* CdSum_;
    SumX5* DdSum_;
    SumX2* FdSum_;
    SumX3* gamaSum_;
    Leaf* beta1Leaf_;
};

}  // namespace vornex

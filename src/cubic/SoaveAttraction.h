// Attractions of the term-based cubics with quadratic mixing,
//     a = sum_ij x_i x_j a_ij, a_ii = a_i(T), a_ij = (1 - kaij) sqrt(a_i a_j),
//     b = sum_ij x_i x_j b_ij, b_ij = (b_i + b_j)(1 - kbij)/2,
// a in Pa m6/mol2, b in m3/mol, T in K. SoaveMixing holds the mixing (node arrays "ai",
// "aij", "bpa" = 1 - kaij, "aijp" = a_i a_j, "aijr" = sqrt(aijp); covolumes, kaij, kbij);
// the subclasses give a_i(T):
//   Soave1       SRK (u = 1, w = 0), a_i = Soave72 node, a_c (1 + m (1 - sqrt(Tr)))^2;
//   StryjekVera  PR (u = 2, w = -1), a_i = a_c (1 + kappa (1 - sqrt(Tr)))^2,
//                kappa = kappa0 + kappa1 (1 + sqrt(Tr))(0.7 - Tr) (Stryjek and Vera, Can. J.
//                Chem. Eng. 64 (1986) 323);
//   Nirma        PR, a_i = a_c alpha(Tr) with one of four forms chosen by the version:
//                0 (1 + m (1 - sqrt(Tr)))^2, 1 exp(L (1 - Tr)),
//                2 (1 - omega) exp(c0 (1 - Tr)) + omega exp(c1 (1 - Tr)), 3 exp(c (1 - Tr^n)).
// Soave2 is the two-component SRK attraction whose kaij and kbij step in temperature
// (TanhStep, CubicTerms.h).
// The binary setters take the pair in either order. Binary parameters take effect at the
// next evaluation, which applies the mixing rules afresh.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cubic/Schmidt.h"
#include "expression/ExprArrays.h"

namespace vornex {

class SoaveMixing : public Schmidt0, public CovolumeSetters {
   public:
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void print_parameters(FILE* out) override;
    // The pair leaves 1 - kaij depend on no variable.
    void specify_dependencies() override;
    virtual void apply_mixing_rules();

    // Covolumes and hard-sphere diameters: the setters of CubicTerms.h.
    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    double kaij(int i, int j) const;

    Expr1 ai;
    Expr2 aij, bpa, aijr, aijp;

   protected:
    SoaveMixing(double u, double w);
    // Builds the chain of component i in nodes_ and returns its a_i node.
    virtual Expression* makeAlpha(int i) = 0;
    // Brings the a_i nodes to the term's T before an evaluation (nodes that are not graph
    // functions of variable 0).
    virtual void refreshAlpha() {}
    void covolumesSet() override { apply_mixing_rules(); }
    const std::string& termName() const override { return modelName; }

    std::vector<double> kaij_;  // n x n, symmetric
    LineaX2* bForm_;
};

class Soave1 : public SoaveMixing {
   public:
    Soave1();
    // a_c (Pa m6/mol2), m and Tc (K) of component i.
    void set_ai_parameters(int i, double ac, double m, double Tc);

   protected:
    Expression* makeAlpha(int i) override;
    void refreshAlpha() override;
};

class StryjekVera : public SoaveMixing {
   public:
    StryjekVera();
    void set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1);
    // Console check of two components at 373.15 K, 3e-5 m3/mol: the graph's derivatives
    // against differences.
    void test();

   protected:
    Expression* makeAlpha(int i) override;
};

class Nirma : public SoaveMixing {
   public:
    explicit Nirma(int version);
    int version;

    // Constants of component i (Tc K, Pc Pa); a_c = OmegaA R^2 Tc^2/Pc with Peng-Robinson's
    // OmegaA (CubicConstants.h). The covolume is the fluid's (set_covolume).
    void set_parameters(int i, double Tc, double Pc, double omega, double m, double L, double c0,
                        double c1, double c, double n);
    // Console check of water at 373.15 K, 2e-5 m3/mol.
    void test();

   protected:
    Expression* makeAlpha(int i) override;
};

class Soave2 : public Schmidt0, public CovolumeSetters {
   public:
    Soave2();

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void print_parameters(FILE* out) override;
    virtual void apply_mixing_rules() {}

    void set_ai_parameters(int i, double ac, double m, double Tc);
    // The steps of kaij and kbij (the indices name the one pair and are not used).
    void set_binary_interaction_kaij(int i, int j, double k0, double k1, double T0, double w);
    void set_binary_interaction_kbij(int i, int j, double k0, double k1, double T0, double w);
    double kaij(double T) const { return 1.0 - oneMinusKa_.value(T); }
    double kbij(double T) const { return covolumeTable_.kb.value(T); }

   protected:
    void covolumesSet() override { apply_mixing_rules(); }
    const std::string& termName() const override { return modelName; }

   private:
    SumX2* aSum_;
    SumX2* bSum_;
    Soave72* alpha_[2] = {nullptr, nullptr};
    TanhStep oneMinusKa_;
    StepCovolumes covolumeTable_;
};

}  // namespace vornex

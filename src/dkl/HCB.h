// Hard-convex-body repulsion with the ideal-gas -ln V (Boublik's equation as used by
// Kreglewski, Equilibrium Properties of Fluids and Fluid Mixtures, 1984), a = A/(RT):
//     a = -ln V + (alpha^2 - 1) ln(1 - xi) + [(alpha^2 + 3 alpha) xi - 3 alpha xi^2]/(1 - xi)^2,
//     xi = 0.74048 V0/V,
// V0 the temperature-dependent hard-core volume (HardCoreNodes.h) and alpha the
// non-sphericity (1 for spheres). HCB1: one fluid; HCB2: a binary with V0 mixed
// quadratically and alpha = alpha1 x1 + alpha2 x2. V00 in m3/mol, u0k in K.
#pragma once

#include "anderko/Repulsion.h"
#include "dkl/GraphTerm.h"

namespace vornex {

class HCBTerm : public GraphTerm<Repulsion> {
   protected:
    // "mlogV", "dzeta", "dzeta2", "mdzeta", "A11" and "A1" = A10/A11 over V0, and the root
    // -ln V + A0 + A1.
    void buildPacking(Expression& V0, Expression& mV, Expression& V);
    void finishGraph(Expression& A0, Expression& A10);
    // Refuses a count other than `expected` (said on standard error).
    bool acceptCount(int count, int expected, const char* message);

    Expression* mlogV_ = nullptr;
    Expression* dzeta_ = nullptr;
    Expression* dzeta2_ = nullptr;
    Expression* mdzeta_ = nullptr;
};

class HCB1 : public HCBTerm {
   public:
    HCB1();
    ~HCB1() override;
    void number_of_components(int count) override;
    // The close-packed volume V0 at the term's T: a denser fluid (xi above 0.74048) packs its
    // hard bodies closer than they can be packed, and the equation's roots there are no
    // states (methane below 150 K has one at 944 kg/m3).
    double getVolumeMinimum() override;
    void set_parameters(double alpha, double V00, double u0k, double C);

    double alpha = 1.0, V00 = 0.0, u0k = 0.0, C = 0.0;
};

class HCB2 : public HCBTerm {
   public:
    HCB2();
    ~HCB2() override;
    void number_of_components(int count) override;
    // The close-packed volume V0 of the mixture at the term's T and composition.
    double getVolumeMinimum() override;
    // Component i (0 or 1); C in every case. Written to the graph by finalize_parameters.
    void set_parameters_of_component(int i, double alpha, double V00, double u0k, double C);
    void set_binary_parameters(double k);
    void finalize_parameters();
    void set_parameters(double alpha1, double V00_1, double u0k_1, double alpha2, double V00_2,
                        double u0k_2, double C, double k);

    double alpha[2] = {1.0, 1.0}, V00[2] = {}, u0k[2] = {}, C = 0.0, k = 1.0;
};

}  // namespace vornex

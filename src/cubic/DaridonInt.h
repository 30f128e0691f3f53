// Peng-Robinson attraction (Schmidt, u = 2, w = -1) of water-hydrocarbon fluids with water
// as component 0 (Daridon, Lagourette, Saint-Guirons and Xans, Int. J. Thermophys. 14
// (1993) 1205):
//     a_i(T) = a_c,i exp(m_i (1 - T/Tc_i)),   b = sum_i b_i x_i,
//     a = sum_ij x_i x_j a_ij, a_ii = a_i,
//     a_i0 = sqrt(a_i a_0) (1 - k_i - beta_i(T) exp(-10^gamma_i (1 - x_0/(x_0 + x_i))^4)),
//     beta_i(T) = beta0_i + beta1_i Tr_w + beta2_i Tr_w^2,  Tr_w = T/Tc_0,
// and a_ij = sqrt(a_i a_j) for two gases i, j > 0 (the published correlation gives no
// water-free pair term). a in Pa m6/mol2, b in m3/mol, T in K.
#pragma once

#include "cubic/Schmidt.h"
#include "expression/ExprArrays.h"

namespace vornex {

class DaridonInt : public Schmidt {
   public:
    DaridonInt();

    void number_of_components(int n) override;
    // a_c (Pa m6/mol2), m, Tc (K) and the covolume b (m3/mol) of component i.
    void set_parametersx(int i, double ac, double m, double Tc, double b);
    // The water-gas parameters of gas i > 0.
    void set_binary_parameters(int i, double k, double beta0, double beta1, double beta2,
                               double gamma);

    Expr1 ai, aie, aim, Tri;
    Expr2 aijp, aijr0, aijr, mkij;
    Expr1 kiw, betai, xi, xiw, xpi, mxw, mxw4, kw;

   private:
    FVar* xw_;
    Square* Trw2_ = nullptr;
};

}  // namespace vornex

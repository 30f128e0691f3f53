// HGKid: the ideal-gas Helmholtz energy of the Haar-Gallagher-Kell water formulation as a
// function of temperature alone (Haar, Gallagher and Kell, NBS/NRC Steam Tables, 1984):
//     F = 1 + (C1/x + C2) ln x + sum_{i=3..18} C_i x^(i-6) - 7.6180802 - 4328.455039/T,
//     a = -1.0000532256309838 F,  x = T/100 K.
// The root is a leaf whose value and pure temperature derivatives the term writes; it has no
// volume dependence. While the fluid computes fugacities the term is the reduced ideal-gas
// expression -ln(0.4615 T 18.015268e-6/0.101325) (J/(g K), K, MPa), which with the
// ln(rho R T/p0) of the formulation's base function makes -ln V.
#pragma once

#include "fluid/Ideal.h"

namespace vornex {

class HGKid : public Ideal {
   public:
    HGKid();
    ~HGKid() override;

    // The root gets count + 2 variables and depends on T only.
    void number_of_components(int count) override;
    // Value and the four pure T derivatives of the root.
    void calculate_fixed_parameters() override;
    void calculate_high_order_parameters() override {}

    // a and its derivatives d^k a / dT^k, k = 0..4, at T (K) in the normal and in the
    // fugacity form.
    static void normalForm(double TK, double* a);
    static void fugacityForm(double TK, double* a);

   protected:
    Leaf leaf_;
};

// HGKidealGas: the whole ideal gas of the formulation beside a residual term that carries
// the ideal gas's -ln V itself (the Duan term, the hard-sphere term): for each component
//     a_i = a_id(T) + ln(R T/p0),   p0 = 0.101325 MPa,
// HGKid's temperature function with the temperature part of the formulation's
// ln(rho R T/p0), whose -ln V the residual term adds. With it the fluid has the ideal gas's
// Cv0 = Cp0 - R and ln phi -> 0 at vanishing pressure (HGKid there left Cv0 = Cp0 and
// ln phi = -ln(R T/p0)). Every component takes water's ideal gas; the term is linear in the
// mole fractions. For the fugacities it is 0, the ideal gas being their reference.
class HGKidealGas : public HGKid {
   public:
    HGKidealGas();
    ~HGKidealGas() override;

    // The root depends on T and the composition.
    void number_of_components(int count) override;
    // Value, T derivatives and composition derivatives of the root.
    void calculate_fixed_parameters() override;

    // a_id(T) + ln(R T/p0) and its derivatives d^k/dT^k, k = 0..4 (R in J/(mol K)).
    static void completeForm(double TK, double R, double* a);
};

}  // namespace vornex

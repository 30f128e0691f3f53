// Second-virial fluid: a gas truncated after its second virial coefficient,
//     A/(R T) = -ln V + B/V,   Z = 1 + B/V,
// V in m3/mol, B in m3/mol. Virial is the Helmholtz term, VirialEos the fluid made of it
// alone (no ideal-gas term; model name "virial"). Two versions:
//   0  a binary mixture, B = p1 x0^2 + 2 p2 x0 x1 + p3 x1^2 (constants);
//   1  a pure gas, B(T) = p1 T + p2 T^2 + p3, with a built-in table (read_component_data):
//        "N2"   1.48e-07 T - 4.8526e-05      (B(300 K) = -4.126 cm3/mol)
//        "Ar"   1.56e-07 T - 6.1811e-05
//        "CH4"  2.876e-07 T - 1.2846e-04
//        "H2O"  fitted to the second virial coefficient of the IAPWS-95 formulation
//               between 423.15 and 673.15 K (largest deviation 3.9 %); below that range
//               the quadratic departs fast from it (20 % at 373 K). No quadratic in T
//               stays within 5 % from 373 K to 673 K (the best misses by 9 %).
// A term given the wrong component count for its version, or a fluid given a gas outside
// the table, says so and makes every evaluation fail (the fluid's error flag).
#pragma once

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/PolyVar.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/FluidPhase.h"
#include "fluid/Interaction.h"

namespace vornex {

class Virial : public Interaction {
   public:
    explicit Virial(int version);
    ~Virial() override;

    int version = 1;
    double p1 = 1.48e-07, p2 = 0.0, p3 = -4.8526e-05;

    void number_of_components(int n) override;
    // Three values: the form's coefficients (version 0) or the B(T) coefficients (version 1).
    void set_virial_parameters(double first, ...);
    // B (m3/mol) at the term's T and composition.
    double secondVirialCoefficient() const;
    // Makes every later evaluation fail (parameters that must not be used).
    void refuse() { refused_ = true; }
    // The term's own derivative checks at 300 K, 1.8e-5 m3/mol.
    void test();

   protected:
    void calculate_fixed_parameters() override;

   private:
    void applyParameters();
    FVar T_, V_;
    Square T2_;
    Logarithm logV_;
    LineaX2 Bx_;
    Sum2 BT_;
    Division Bv_;
    Sum2 A_;
    bool refused_ = false;
};

class VirialEos : public FluidPhase {
   public:
    // phase: volume-search side; version 0 declares two components, version 1 one.
    VirialEos(int phase, int version, char extraTerm);

    int8_t version = 1;
    Virial* term() { return static_cast<Virial*>(interaction[0]); }

    void set_virial_coefficients(double p1, double p2, double p3);
    // Version 1: molar mass and B(T) of a gas of the table; another name is refused.
    void read_component_data(int i, const char* name) override;
    // B (cm3/mol) and, when negative, the states at V = -2B and -3B.
    void printVirial();
    // V (m3/mol), Z and (Z - 1) V (cm3/mol) from 0.01 to 1000 m3/mol.
    void plotVirial();
    void test();
};

}  // namespace vornex

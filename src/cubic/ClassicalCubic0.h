// The classic cubic fluids with quadratic (one-fluid) mixing and a Soave a(T):
//     a_ij = (1 - kaij) sqrt(a_i a_j),  b_ij = (b_i + b_j)(1 - kbij)/2,
//     a = sum_ij x_i x_j a_ij,  b = sum_ij x_i x_j b_ij.
// ClassicalQuadraMix holds the binary parameters, ClassicalCubic0 the pure-component
// constants from a built-in table (below), and the finished fluids are
//   ClassicalSRK      Soave-Redlich-Kwong (Soave, Chem. Eng. Sci. 27 (1972) 1197);
//   ClassicalCubic01  any family, with kaij of hydrocarbon pairs from their critical data
//                     (Chueh and Prausnitz, AIChE J. 13 (1967) 1099);
//   Montel            Peng-Robinson with volume translation for a 17-component petroleum
//                     fluid, complete after construction.
// Units: T K, P Pa, V m3/mol, M kg/mol.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cubic/ClassicData.h"
#include "cubic/ClassicalCubic.h"

namespace vornex {

class ClassicalQuadraMix : public ClassicalCubic {
   public:
    using ClassicalCubic::ClassicalCubic;
    std::vector<double> kbij;  // n x n, symmetric, zero on creation (kaij: CubicBase)

    void number_of_components(int n) override;
    void calculate_mixing_parameters() override;
    // kaij from classicKaij for every pair (kbij stays 0).
    virtual void read_BIP();
    void set_binary_interaction_kbij(int i, int j, double k);
    void print_parameters(FILE* out);

   protected:
    void componentsStartAfresh() override;
};

class ClassicalCubic0 : public ClassicalQuadraMix {
   public:
    ClassicalCubic0(const CubicFamily& family, int phase);
    ~ClassicalCubic0() override;

    double m0 = 0.0, m1 = 0.0, m2 = 0.0;  // m = m0 + m1 omega + m2 omega^2
    std::vector<double> Tc, Pc, Vc, omega, m, ac, bc;

    void number_of_components(int n) override;
    // Row i from the built-in table, zero translation; after the last component read_BIP.
    // A name in no row is reported and leaves the fluid refusing every evaluation.
    void read_component_data(int i, const char* name) override;
    void calculate_parameters_of_pure_components() override;
    // Replaces the constants of component i (K, Pa, acentric factor) and derives m, a_c, b.
    void set_critical_constants(int i, double TcK, double PcPa, double omegaValue);
    bool componentCriticalConstants(int i, double& TcK, double& PcPa, double& omegaValue) override;
};

class ClassicalCubic01 : public ClassicalCubic0 {
   public:
    using ClassicalCubic0::ClassicalCubic0;
    // kaij = 1 - (2 sqrt(Tc_i Tc_j)/(Tc_i + Tc_j))^n, n the mean critical compressibility,
    // for pairs of hydrocarbons up to 0.156 kg/mol (not CO2, N2, H2O); 0 for the others.
    void read_BIP() override;
};

class ClassicalSRK : public ClassicalCubic0 {
   public:
    explicit ClassicalSRK(int phase);
};

class Montel : public ClassicalCubic0 {
   public:
    // Declares and reads its 17 components ("N2", "CO2", "H2S", "C1", ..., "nC10", "Cn1",
    // "Cn2"); the fluid then needs only T, P and composition.
    explicit Montel(int phase);
    // Its own 17 components only: another count, or another name at a position, is refused
    // (said on standard error, the flag raised, the position left without data). 17 again
    // after a refused name reads the model's own components again.
    void number_of_components(int count) override;

    // The heavy pseudo-components "Cn1" and "Cn2": Tc (K), Pc (Pa), acentric factor and the
    // translation factor s (c = s b).
    struct Heavy {
        double Tc, Pc, omega, s;
    };
    Heavy cn1{713.0, 20e5, 0.6, 0.1};
    Heavy cn2{903.0, 13e5, 0.8, 0.2};

    void read_component_data(int i, const char* name) override;
    void read_BIP() override;
    // New properties for "Cn1" (which = 1) or "Cn2" (which = 2), applied at once.
    void set_heavy_fraction(int which, const Heavy& h);
};

}  // namespace vornex

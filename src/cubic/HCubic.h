// Three-constant cubic fluids (Heyen family),
//     P = R T / (V - b) - a / (V^2 + (b + c) V - b c),
// with a(T), b, c from critical data read in "compo/<name>" (T K, P Pa, V m3/mol):
//   HCubic    the cubic, a by geometric mean with kaij, b and c linear; Soave a(T);
//   TwoPar    OmegaA, OmegaB of Soave-Redlich-Kwong, OmegaC = 0 (the SRK cubic); keys "Tc",
//             "Pc", "omega", "mw" (or "M");
//   ThreePar  the Omega constants from a critical compressibility correlated with omega,
//             zeta = 0.329032 - 0.076799 omega + 0.0211947 omega^2 (Heyen 1983);
//   Heyen     zeta = Pc Vc/(R Tc) from the file, a = a_c exp(m (1 - Tr^nn)),
//             b = b_c (1 + mb tanh(-teta (Tr - 1)/2)), and local-composition mixing of a;
//             keys "Tc", "Pc", "Vc", "slope" (m), "nn", "m" (mb), "teta", "mw" ("omega"
//             is read and not used). No parameter set is shipped with the library.
// With OmegaC = 0 (zeta = 1/3) the cubic is Soave-Redlich-Kwong's.
//
// The state functions are departure functions from the ideal gas at the same T and P, as
// those of the classical cubics (ClassicalCubic.h): H, S, A, G, U (J/mol, J/(mol K)),
// CvResidual and CpResidual the residual heat capacities (Cv and Cp NaN);
// G = RT sum x_i ln phi_i. The residual Helmholtz energy
//     A_r(T, V) = -RT ln(1 - b/V) - (a/D) ln((2V + b + c + D)/(2V + b + c - D)),
//     D = sqrt(b^2 + 6 b c + c^2),
// is written once over jets in T (Jet.h), which give S and CvResidual with the T-dependent
// a and b; the fugacities carry their T and V slopes the same way, and their composition
// derivatives from the mixing rule written once over jets in one mole fraction. As for the
// classical cubics (ClassicalCubic.h) those take the mole fractions as independent variables.
//
// Failures raise the phase error flag: a component file that cannot be opened or lacks a
// key (the fluid then refuses every evaluation), no volume above the covolume, a phase
// selector that chooses none of several volumes, a failed pseudo-critical search. A later
// component count is taken (CubicBase::number_of_components): the components are added again.
#pragma once

#include <vector>

#include "cubic/CubicBase.h"
#include "cubic/CubicConstants.h"
#include "cubic/Jet.h"
#include "fluid/ComponentFile.h"
#include "numerics/Solver.h"

namespace vornex {

class HCubic : public CubicBase {
   public:
    explicit HCubic(int phase);
    ~HCubic() override;

    Secant criticalSolver;  // pseudo-critical temperature search
    double m0 = kSoaveRedlichKwong.m0, m1 = kSoaveRedlichKwong.m1, m2 = kSoaveRedlichKwong.m2;
    double OmegaC = 0.0;               // c = OmegaC R Tc / Pc; OmegaA, OmegaB start at SRK's
    double A = 0.0, B = 0.0, C = 0.0;  // mixture a P/(RT)^2, b P/(RT), c P/(RT)
    double amix = 0.0, bmix = 0.0, cmix = 0.0;  // the same in Pa m6/mol2 and m3/mol
    std::vector<double> m, Tc, Pc, omega, ac, bc, cc, a, b, c, Ai, Bi, Ci, Abar;

    void number_of_components(int n) override;
    // Parameters, the cubic in Z, then the fugacities.
    void calculate_molar_volume() override;
    double calculate_pressure() override;
    // ln phi and the fugacities at the current T and V, with their T, P and composition
    // derivatives, dP/dx, dV/dx, the partial molar volumes and dP/dn.
    void calculate_fugacities() override;
    void calculateFugacityAlongVolume() override { calculate_fugacities(); }
    // Departure functions at the current T and V (header); returns P (Pa).
    double calculate_state_functions() override;
    // Tc (K) where a/(b R T) = OmegaA/OmegaB, Pc = R Tc OmegaB/b (Pa), Vc = zc b/OmegaB with
    // zc = (1 - c OmegaB/b)/3 (m3/mol); zeros and the error flag when the search fails.
    void calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) override;
    void calculate_parameters_of_pure_components() override;
    void calculate_mixing_parameters() override;
    bool componentCriticalConstants(int i, double& TcK, double& PcPa, double& omegaValue) override;
    // kaij for CH4 ("C1")-CO2 0.1, CH4-N2 0.03, CO2-N2 -0.035.
    virtual void read_BIP();

    bool resolve_cubic_equation_in_Z();
    // kaij of the pairs (0,1), (0,2), ..., (0,n-1), (1,2), ... in that order.
    void set_binary_interaction_a_parameters(double k01, ...);
    // a/(b R T) - OmegaA/OmegaB at T (the secant solver's callback).
    double equation(double TK, void* context);

   protected:
    // The mixture's a, b, c and the shares q_i of the attraction in ln phi_i, as jets along
    // one variable: T (the pure parameters' jets, x held) or one mole fraction (that x the
    // variable, the pure parameters held).
    struct Mixture {
        Jet a, b, c;
        std::vector<Jet> abar;   // da/dx_i / 2 for the quadratic rule (Pa m6/mol2)
        std::vector<Jet> share;  // q_i
        // Heyen's local-composition sums T_i (Pa m6/mol2) and S_i; empty for the others.
        std::vector<Jet> localSum, localWeight;
    };
    // The mixing rule at the fractions xs from the pure a_i and b_i.
    virtual void mix(const std::vector<Jet>& xs, const std::vector<Jet>& as,
                     const std::vector<Jet>& bs, Mixture& out) const;
    bool currentShape(CubicShape& shape) const override;
    // P and dP/dV at Vm3 from the cubic in closed form (it holds no terms).
    bool pressureAndSlopeAt(double Vm3, double& Pcalc) override;
    // Pc and Vc at the pseudo-critical temperature, from the parameters there.
    void criticalValuesAt(double Tc, double& Pc, double& Vc);
    // A, B, C, Abar and the A_i, B_i, C_i at the current P.
    void scaleMixture();
    // P at the current T and V; false (error flag raised) when there is none.
    bool pressureAtVolume();
    // m, a_c, b_c, c_c of component i from its critical data and the Omega constants.
    void deriveConstants(int i);
    // The smallest positive root of Omega_b^3 + (2 - 3 zeta) Omega_b^2 + 3 zeta^2 Omega_b
    // - zeta^3 = 0, and OmegaC = 1 - 3 zeta; OmegaA is the caller's.
    double omegaBOf(double zeta);
    // ln phi_i at (T, V) as jets, with the mixture m and the pure covolumes bs as jets
    // along the same variable.
    void lnPhiJets(const Jet& TK, const Jet& Vm3, const Mixture& m, const std::vector<Jet>& bs,
                   std::vector<Jet>& out) const;
    // P at (T, V) as a jet, the mixture as in lnPhiJets.
    Jet pressureJet(const Jet& TK, const Jet& Vm3, const Mixture& m) const;
    std::vector<double> abarDim;  // sum_j x_j (1 - kaij) sqrt(a_i a_j), Pa m6/mol2
    // a_i, b_i, the mixture's a, b and abarDim with their T derivatives (c is constant).
    std::vector<Jet> aJ, bJ, abarJ;
    Jet amixJ, bmixJ;
    Mixture alongT_;  // the mixture at the current T and x, along T
    // alongT_ with its slopes dropped, for the slopes along V or a mole fraction.
    Mixture heldMixture() const;

   private:
    // The state of the last volume solve, at which the given pressure is the cubic's: there
    // a liquid's pressure recomputed from its volume keeps only the digits that survive
    // RT/(V - b) - a/D, none at a pressure far below those terms (a liquid at 1e-8 bar).
    struct Root {
        double T = 0.0, a = 0.0, b = 0.0, c = 0.0, V = 0.0, P = 0.0;
    };
    Root root_;
    bool atRoot() const;
};

class TwoPar : public HCubic {
   public:
    explicit TwoPar(int phase);
    void read_component_data(int i, const char* name) override;
};

class ThreePar : public HCubic {
   public:
    explicit ThreePar(int phase);
    void read_component_data(int i, const char* name) override;
};

class Heyen : public ThreePar {
   public:
    explicit Heyen(int phase);

    std::vector<double> Vc, nn, mb, teta;
    std::vector<double> Lij;         // n x n local-composition parameters, all 1 at the start
    std::vector<double> Tsum, Ssum;  // T_i (Pa m6/mol2) and S_i of the mixing rule

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void calculate_parameters_of_pure_components() override;
    void calculate_mixing_parameters() override;
    void set_local_composition_parameter(int i, int j, double L);

   protected:
    void componentsStartAfresh() override;
    // S_i = sum_j x_j L_ij, T_i = sum_j x_j L_ij (1 - kaij) sqrt(a_i a_j), a = sum_i x_i T_i/S_i.
    void mix(const std::vector<Jet>& xs, const std::vector<Jet>& as, const std::vector<Jet>& bs,
             Mixture& out) const override;

   private:
    // True for a critical compressibility Pc Vc/(R Tc) in (0, 1/2]; else reported and the
    // component refused.
    bool zetaAccepted(int i, double zeta);
};

}  // namespace vornex

// ClassicalCubic: base of the closed-form two-constant cubic fluids
//     P = R T / (V' - b) - a / ((V' - d1 b)(V' - d2 b)),   V' = V + c,
// (Soave-Redlich-Kwong d1 = 0, d2 = -1; Peng-Robinson d1 = sqrt(2) - 1, d2 = -1 - sqrt(2)),
// with a, b the mixture's attraction (Pa m6/mol2) and covolume (m3/mol) and c a volume
// translation (m3/mol, Peneloux et al., Fluid Phase Equilib. 8 (1982) 7). V (m3/mol) is the
// fluid's molar volume, V' that of the untranslated cubic. Volume at (T, P) from the cubic
// in Z, pressure at (T, V), fugacities with their derivatives, departure functions and the
// pseudo-critical point, all in closed form; no Helmholtz terms are evaluated (the fluid
// holds a Standard ideal-gas term it does not use for these results).
//
// Subclasses give the parameters through calculate_parameters_of_pure_components (the
// matrices a_ij, b_ij and their T derivatives, the translations c_i) and
// calculate_mixing_parameters (a, b, c and their composition derivatives); both run at the
// start of every evaluation, so the parameters follow the current T and composition.
// Composition derivatives ("_x") are taken with the mole fractions as independent variables,
// the framework's convention; partialMolarVolume and partialMolarEnthalpy are the true
// partial molar quantities.
//
// Failures: every evaluation raises the phase error flag (`error` = 1) and computes nothing
// when a component has no data, or T, P or V is not a positive finite number; a volume
// search raises it when no root of the cubic lies above the covolume or when the phase
// selector does not choose among several roots; the pseudo-critical search when its secant
// solve fails. The previous results then stand but are not to be used. A later component
// count is taken (CubicBase::number_of_components): the components are added again.
#pragma once

#include <vector>

#include "cubic/ClassicData.h"
#include "cubic/CubicBase.h"
#include "cubic/CubicConstants.h"

namespace vornex {

class ClassicalCubic : public CubicBase {
   public:
    // The family's d1, d2, OmegaA, OmegaB, Zc; phase is the selector (CubicBase).
    ClassicalCubic(const CubicFamily& family, int phase);
    ~ClassicalCubic() override;

    // --------------------------------------------------------------- constants
    double d1 = 0.0;
    double d2 = -1.0;
    // Excess-energy constant of the fugacity route; it cancels from every result.
    double Lambda = 0.6931471805599453;
    double Zc = 1.0 / 3.0;  // critical compressibility of the pseudo-critical volume

    // --------------------------------------------------- results of the last evaluation
    double Tpc = 0.0, Ppc = 0.0, Vpc = 0.0;  // pseudo-critical point: K, Pa, m3/mol
    double a = 0.0, b = 0.0, aOverB = 0.0;    // mixture a (Pa m6/mol2), b (m3/mol)
    double c = 0.0, dcdT = 0.0;               // mixture translation and its slope
    double dadT = 0.0, d2adT2 = 0.0, dadTOverB = 0.0;
    double Vt = 0.0;     // translated volume V' = V + c, m3/mol
    double dVtdT = 0.0;  // at constant P
    double dVtdP = 0.0;  // at constant T
    double excessG = 0.0, dexcessGdT = 0.0;  // G/RT of the fugacity route and its T slope
    // The side of the last volume solve's root, 1 vapour or 2 liquid: the selector's among
    // several roots; a lone root below the pseudo-critical temperature by the side of the
    // pseudo-critical volume it lies on, above it the selector's; 0 when the solve failed.
    // The selector itself stays as the caller set it.
    int rootSide = 0;

    // Per pair, n x n row-major (i n + j), filled by the subclass's pure-component step.
    std::vector<double> aij, bij, aOverBij, daijdT, daijdTOverB, d2aijdT2;
    // Second composition derivatives of a/b.
    std::vector<double> d2aOverBdx2;
    // Per component.
    std::vector<double> abar;             // da/dx_i = 2 sum_j x_j a_ij
    std::vector<double> bbar;             // db/dx_i
    std::vector<double> dabar;            // d(da/dT)/dx_i
    std::vector<double> daOverBdx;        // d(a/b)/dx_i
    std::vector<double> ddaOverBdxdT;     // d((da/dT)/b)/dx_i
    std::vector<double> ci, c0, c1;       // translation c_i = c0_i + c1_i T
    std::vector<double> translatedVolumeX;  // dV'/dx_i at constant T and P

    // ------------------------------------------------------------- operations
    void number_of_components(int n) override;
    // Parameters, the cubic in Z, the bulk molar mass.
    void calculate_molar_volume() override;
    // P (Pa) at the current T and V, with its derivatives; 0 at or below the covolume.
    double calculate_pressure() override;
    // T (K) at the set V and P by Newton on the closed-form P(T, V), from the current T;
    // the phase error flag when it does not converge within 100 steps.
    void calculate_temperature() override;
    // The pressure at the current T and V, then ln phi, the fugacities and their derivatives.
    void calculate_fugacities() override;
    void calculateFugacityAlongVolume() override { calculate_fugacities(); }
    // Departure functions from the ideal gas at the same T and P (H, S, A, G, U in J/mol and
    // J/(mol K); CpResidual and CvResidual the residual heat capacities, Cv, Cp and the
    // Joule-Thomson coefficient NaN), also in
    // Hres, Sres, Ares, Gres, with dHdP and the partial molar enthalpies. Returns P (Pa).
    double calculate_state_functions() override;
    // Tc (K) where a(T)/(b T) = R OmegaA/OmegaB, Pc = R OmegaB Tc / b (Pa),
    // Vc = Zc b/OmegaB (m3/mol); zeros and the error flag when the search fails.
    void calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) override;

    // Volume at the current T and P; false (error flag raised) when no root is taken.
    bool resolve_cubic_equation_in_Z();
    // 2n values: (c0_i, c1_i) for each component in order (m3/mol, m3/(mol K)).
    void set_translation_parameters(double c0First, double c1First, ...);
    void set_translation(int i, double c0i, double c1i);
    // Residual of the pseudo-critical search at T (the secant solver's callback).
    double equationForPseudoCriticalPoint(double TK, void* context);
    // Console check: CO2-CH4 volumes at 273.15 K and 100 bar (k = 1 declares the system).
    void test(int k);

   protected:
    bool currentShape(CubicShape& shape) const override;
    // P and dP/dV at Vm3 from the cubic in closed form (it holds no terms).
    bool pressureAndSlopeAt(double Vm3, double& Pcalc) override;
    // The classic table's row of component i, with its molar mass and a zero translation;
    // null, reported and the component refused, for a name in no row.
    const ClassicRow* takeClassicRow(int i, const char* name);
    // Pc and Vc at the pseudo-critical temperature, from the parameters there.
    void criticalValuesAt(double Tc, double& Pc, double& Vc);
    // Row i of the pair matrices from a_c, m and Tc (Soave a(T)) times a factor F(T) with
    // its two T derivatives, and the covolume b_i; then the translation c_i.
    void setPureComponent(int i, double ac, double m, double Tc, double bi, double F, double dF,
                          double d2F, double kaii, double kbii);
    // The pairs i < j from the diagonal with the given binary parameters (n x n).
    void combinePairs(const std::vector<double>& ka, const std::vector<double>& kb);
    // Quadratic (one-fluid) mixing of the pair matrices.
    void quadraticMixing();
    // The pair matrices with their binary parameters, as the console prints them.
    void printPairs(FILE* out, const std::vector<double>& ka, const std::vector<double>& kb);

   private:
    struct CubicAt {
        double u1, u2, w, D, P, dPdT, dPdV, dPdb, L, LV, Lb;
    };
    CubicAt cubicAt(double Vtranslated) const;
    // P and its derivatives at the current T and V; false (error flag raised) when there
    // is none.
    bool pressureAtVolume();
    // The volume derivatives and partial volumes at the state of k (P, V', V set).
    void storeVolumeDerivatives(const CubicAt& k);
    // The state of the last volume solve: T, a, b and V' at which the given pressure is the
    // cubic's. There a liquid's pressure recomputed from its volume keeps only the digits
    // that survive RT/(V' - b) - a/D, which at a pressure far below those terms (a liquid
    // at 1e-8 bar) are none; the pressure given is the state's exact one.
    struct Root {
        double T = 0.0, a = 0.0, b = 0.0, Vt = 0.0, P = 0.0;
    };
    Root root_;
};

}  // namespace vornex

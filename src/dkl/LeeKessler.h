// Lee-Kessler corresponding-states method (Lee and Kessler, AIChE J. 21 (1975) 510).
//
// BWR_EOS: one reference fluid of the method, the modified Benedict-Webb-Rubin equation in
// reduced variables Tr = T/Tc, Pr = P/Pc, Vr = V Pc/(R Tc):
//     Z = Pr Vr/Tr = 1 + B/Vr + C/Vr^2 + D/Vr^5 + (c4/(Tr^3 Vr^2)) (beta + gamma/Vr^2)
//     exp(-gamma/Vr^2), B = b1 - b2/Tr - b3/Tr^2 - b4/Tr^3,  C = c1 - c2/Tr + c3/Tr^3,  D = d1 +
//     d2/Tr.
// Its temperature, pressure and volume fields hold Tr, Pr and Vr; describe() finds Vr and Z
// at (Tr, Pr) and the departure functions, all dimensionless: (H - H_ig)/(R Tc) in H,
// (S - S_ig)/R in S, (G - G_ig)/(R Tc) in G, (Cv - Cv_ig)/R in Cv, (Cp - Cp_ig)/R in Cp,
// ideal gas at the same T and P. A failed volume search leaves error = 1 and the state not
// computed.
//
// LK_EOS: a mixture reduced by pseudo-critical constants from the components' Tc, Pc and
// omega (files "compo/<name>") and binary parameters zeta ("LK.BIP"), Z interpolated
// linearly in omega between the simple fluid (omega0 = 0) and the reference fluid
// (omegaR = 0.3978, n-octane). The method gives Z, V and the departures from the ideal gas
// at the same T and P: with the standard-state ideal gas of the components, H, S, G, U, A
// and Cp of a state solved from (T, P), and the fugacity coefficients (a mixture's from the
// composition slopes of the pseudo-pure fluid, by differences). It is explicit in neither P
// nor V: a state asked at (T, V) is refused with the error flag; (dP/dV)_T of a state comes
// from its volumes at neighbouring pressures, and Cv, the sound speed and the derivatives in
// T are not given (NaN or left as they were). It has no Helmholtz
// terms, so the framework's term-based operations do not apply to it. Its publication claims
// the fluids of its reference data: nonpolar and slightly polar gases, Tr 0.3 to 4, Pr 0 to
// 10.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex {

// Constants b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, beta, gamma of Lee and Kessler (1975),
// Table 1: the simple fluid and the reference fluid.
inline constexpr double kLeeKesslerSimple[12] = {0.1181193,   0.265728,    0.15479, 0.030323,
                                                 0.0236744,   0.0186984,   0.0,     0.042724,
                                                 1.55488e-05, 6.23689e-05, 0.65392, 0.060167};
inline constexpr double kLeeKesslerReference[12] = {0.2026579,  0.331511,    0.027655, 0.203488,
                                                    0.0313385,  0.0503618,   0.016901, 0.041577,
                                                    4.8736e-05, 7.40336e-06, 1.226,    0.03754};
inline constexpr double kLeeKesslerReferenceOmega = 0.3978;

class BWR_EOS : public FluidPhase {
   public:
    explicit BWR_EOS(const double* constants);
    ~BWR_EOS() override;

    // Reduced temperature, pressure (no unit conversion) and volume; a new value clears the
    // computed state.
    void temperature(double Tr) override;
    void pressure(double Pr) override;
    void volume(double Vr) override;
    // Vr, Z and the departures at (Tr, Pr) for the phase selector (0 either phase,
    // 1 vapour, 2 liquid); nothing when already computed for that selector.
    void describe() override;

    bool search_molar_volume(double Vstart, double relaxation);
    void equation2(double Vr, double& F, double& dF);
    double calculateZ();
    double dzdV();
    double dpdV();
    double dpdT();
    double gd();
    double hd();
    double sd();
    double cd();
    // 0 above Tr = 1 or Pr = 1, else 2 (liquid side, q > 0) or 1 (vapour side).
    int diagnose_the_phase();
    void initialize();

    double constants[12] = {};
    double B = 0.0, C = 0.0, D = 0.0, c4T3 = 0.0, beta = 0.0, gamma = 0.0;
    double Vr2 = 0.0, Vr3 = 0.0;
    double E = 0.0;  // exponential part of the departures, from the last gd()
    double q = 0.0;  // phase indicator of the last diagnose_the_phase()
    // Where calculateZ writes its four contributions, one per line; none when null.
    FILE* trace = nullptr;

   private:
    int computedPhase_ = -1;
};

class LK_EOS : public FluidPhase {
   public:
    // The simple and reference fluids of Lee and Kessler; blending temperature 100 (the
    // high-temperature binary parameters).
    explicit LK_EOS(int phase);
    // Two given fluids (owned from here on) with their acentric factors; blending
    // temperature 0 (the low-temperature binary parameters).
    LK_EOS(int phase, FluidPhase* simple, FluidPhase* reference, double omega0, double omegaR);
    ~LK_EOS() override;

    void number_of_components(int count) override;
    // Tc (K), Pc (Pa) and omega from "compo/<name>"; after the last component the binary
    // parameters. A missing file or a missing constant is said on standard error and
    // raises the error flag; the volume is then refused.
    void read_component_data(int index, const char* name) override;
    void calculate_molar_volume() override;
    // The volume only.
    void describe() override;
    // P of the state solved from (T, P); the flag for any other state.
    double calculate_pressure() override;
    double calculate_state_functions() override;
    void calculate_fugacities() override;
    // No terms to follow along an isotherm: the fugacities of the state solved from (T, P),
    // or the flag, as calculate_pressure.
    void calculateFugacityAlongVolume() override;

    // Lines "name1 name2 zT_hi zT_lo zV_hi zV_lo" of "LK.BIP" for the components present;
    // "#" starts a comment line. A missing file: no binary parameters (said once).
    void read_BIP();
    // Every component's critical constants unknown, every pair on the plain mixing rule.
    void clearComponentData();
    // zeta_T and zeta_V of the pair (i, j) in the low-temperature set, both orders.
    void set_binary_interaction_dzetaij(int i, int j, double zT, double zV);
    // Two values per pair i < j: (0, 1), (0, 2), ..., (1, 2), ...
    void set_binary_interaction_dzeta_parameters(double first, ...);
    void calculate_the_pseudo_critical_parameters();

    std::unique_ptr<FluidPhase> simple;
    std::unique_ptr<FluidPhase> reference;
    double omega0 = 0.0;
    double omegaR = kLeeKesslerReferenceOmega;
    double tau = 100.0;
    std::vector<double> Tc, Pc, omega;  // K, Pa, -; NaN until read
    // n x n tables: blended, high- and low-temperature sets.
    std::vector<std::vector<double>> zetaT, zetaV, zetaT_hi, zetaV_hi, zetaT_lo, zetaV_lo;
    double TcMix = 0.0, PcMix = 0.0, VcMix = 0.0, omegaMix = 0.0;

   private:
    bool haveConstants();
    // Blended departures at the set T, P and composition: Z, V (m3/mol), H - H_ig (J/mol),
    // S - S_ig (J/(mol K)), ln phi of the pseudo-pure fluid, Cp - Cp_ig (J/(mol K)).
    struct Departures {
        double Z = 0.0, V = 0.0, H = 0.0, S = 0.0, lnPhi = 0.0, Cp = 0.0;
    };
    bool blendedDepartures(Departures& d);
    // Whether the state is the one calculate_molar_volume solved; else the flag, said.
    bool stateKnown();
};

}  // namespace vornex

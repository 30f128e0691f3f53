// BWR: a Helmholtz term of Benedict-Webb-Rubin form with the twelve constants of the
// Lee-Kessler equation (Lee and Kessler, AIChE J. 21 (1975) 510), applied to its
// temperature and volume variables as they are (reduced ones for the Lee-Kessler fluids):
//     a = -ln V + B/V + C/(2V^2) + D/(5V^5) + E,
//     B = b1 - b2/T - b3/T^2 - b4/T^3,  C = c1 - c2/T + c3/T^3,  D = d1 + d2/T,
//     E = (c4/(2 gamma T^3)) [beta + 1 - (beta + 1 + gamma/V^2) exp(-gamma/V^2)],
// so that Z = -V a_V is the Lee-Kessler pressure equation and a + ln V its residual
// Helmholtz energy (the E of the departure functions).
//
// BWREOS: one component, the BWR term with the simple-fluid constants ("C1") or the
// reference-fluid constants ("C8") and the plain ideal-gas term.
#pragma once

#include "dkl/GraphTerm.h"
#include "fluid/FluidPhase.h"
#include "fluid/Interaction.h"

namespace vornex {

class Sum;
class Sum1;
class Sum2;

class BWR : public GraphTerm<Interaction> {
   public:
    BWR();
    ~BWR() override;
    void number_of_components(int count) override;
    // b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, beta, gamma.
    void set_parameters(const double* constants);

    double beta = 0.0;
    double gamma = 0.0;
};

class BWREOS : public FluidPhase {
   public:
    explicit BWREOS(int phase);
    ~BWREOS() override;
    // One component; another count is said on standard error and flags every state until
    // one is given.
    void number_of_components(int count) override;
    // "C1" the simple fluid (0.016 kg/mol), "C8" the reference fluid (0.146 kg/mol); any
    // other name or index is said on standard error and sets nothing.
    void read_component_data(int index, const char* name) override;
    // Its variables are reduced ones (Tr, Vr = V Pc/(R Tc)): the saturation starts from the
    // Lee-Kessler fluid's reduced vapour pressure, log10 Pr = (7/3)(1 + omega)(1 - 1/Tr),
    // the vapour ideal and the liquid by Rackett, Vr = Zc^(1 + (1 - Tr)^(2/7)).
    void initializeSaturationVolumesFromT(const char* component, double Tr) override;
    // The equation's own critical point (Tr, Vr), where dP/dV and d2P/dV2 vanish: a constant
    // of its twelve constants, located once when they are read (the simple fluid's at Tr
    // 0.9999997, Vr 0.29050, the reference fluid's at 0.99999992, 0.25600). The saturation
    // ends there. False while the fluid has no constants.
    bool closedFormCriticalPoint(double& Tr, double& Vr) override;

   private:
    bool locateOwnCriticalPoint();

    double omega_ = 0.0;  // acentric factor of the fluid read
    double Zc_ = 0.2901;  // its critical compressibility
    double ownTc_ = 0.0;  // the equation's critical point; 0 when not located
    double ownVc_ = 0.0;
};

}  // namespace vornex

// MaoDuanSalinityModel: density of aqueous chloride solutions from the volumetric model of
// Mao and Duan, J. Chem. Thermodyn. 40 (2008) 1046, over a pure-water model. The volume of
// the solution holding 1 kg of water is the Pitzer form around a reference molality m_r:
//   V = (m/m_r) V_r + (1 - m/m_r) V_w + |z+ z-| nu A_V (L(I) - L(I_r)) m
//       + 2 nu+ nu- R T m ((m - m_r) B + (m^2 - m_r^2) nu+ z+ C),  L(I) = ln(1 + 1.2 sqrt(I))/2.4,
// with V_r, B and C functions of T (K) and P (MPa) fitted per salt, A_V the Debye-Hueckel
// volume slope from the water density and the Bradley-Pitzer dielectric constant.
#pragma once

#include <memory>

#include "water/DensityModel.h"

namespace vornex {

class WagnerPruss;

class MaoDuanSalinityModel : public DensityModel {
   public:
    // version 0: pure water from an owned reference equation of state (WagnerPruss on the
    // liquid side); 1: from the Spivey pure-water correlation. Salt NaCl.
    explicit MaoDuanSalinityModel(int version);
    ~MaoDuanSalinityModel() override;

    // Validity ranges of the coefficients: outside them (but for Pmin) the density is
    // refused.
    double Tmin = 0.0, Tmax = 0.0;  // K
    double Pmin = 0.0, Pmax = 0.0;  // Pa
    double mMax = 0.0;              // mol/kg
    double mr = 0.0;                // reference molality, mol/kg
    double c[23] = {};              // c1 .. c23
    int version = 0;

    // Types 0..6 take their coefficients; other types keep the coefficients they had.
    void setSystemType(int type) override;
    // The density (kg/m3) at the set T, P and m; the molar volume, specific volume and the
    // apparent molar volume of the salt (cm3/mol) with it. 0 with the error flag when the
    // state lies outside the salt's validity range or below the brine's vapour pressure (it
    // is steam there), the water model fails, the version is
    // unknown or the result is not a finite density.
    double calculate_density() override;

    // Prints the model against the Potter-Brown table at its nodes (molalities, the first 12
    // temperatures, the first 10 pressures) that have a density, with the mean deviation.
    void compare_with_Potter_Brown();

   private:
    std::unique_ptr<WagnerPruss> water_;
    // Molar volume of pure water (m3/mol) and dV/dP (m3/(mol Pa)) at the set T and P.
    bool pureWater(double& Vw, double& dVdP);
};

}  // namespace vornex

// DMGWwater: solubility of CH4, CO2 or N2 in water and NaCl brine after the Duan type of
// model: the standard chemical potential mu0/RT of the dissolved gas and its interaction
// parameters with Na+ (lambda) and Na+Cl- (zeta) as functions of T (K) and P (bar), giving
// the Henry constant on the molality scale H = exp(mu0/RT) bar and the activity coefficient
//   ln gamma = 2 lambda m_Na + zeta m_Na m_Cl.
// Parameter sets: CH4 Duan, Moller and Weare, Geochim. Cosmochim. Acta 56 (1992) 1451
// (version 0) and Duan and Mao, Geochim. Cosmochim. Acta 70 (2006) 3369 (version 1); CO2 Duan
// and Sun, Chem. Geol. 193 (2003) 257; N2 Mao and Duan, Fluid Phase Equilib. 248 (2006) 103.
// The vapour is the Duan-Moller-Weare pure gas (DMW1); the CH4 version 1 and N2 models give
// the water content of the vapour from a water fugacity coefficient and the brine vapour
// pressure of Shibue.
#pragma once

#include <memory>

#include "solubility/SaltSolution.h"
#include "solubility/SolubilityModel.h"

namespace vornex {

// One parameter par(T, P) with its pressure derivative; forms 0..4 (T in K, P in bar).
struct DuanPar {
    double value = 0.0;
    double dP = 0.0;  // d par / dP, per bar
    double P = 0.0;   // bar
    double T = 0.0;   // K
    double c[11] = {};
    double theta = 0.0;  // K, of the 1/(theta - T) terms
    int form = 0;

    void calculate(int order);
    double at(double TK, double Pbar, int order = 0) {
        T = TK, P = Pbar;
        calculate(order);
        return value;
    }
};

class DMGWwater : public SolubilityModel {
   public:
    DMGWwater(int type, int version);
    ~DMGWwater() override;

    std::unique_ptr<DuanPar> mu, lambda, zeta;
    Shibue shibue;

    void setSystemType(int type, int version) override;
    void changeModelVersion(int version) override;
    void calculate_vapour_fugacities() override;
    void calculate_aqueous_fugacities() override;
    void calculate_gas_partial_volume_() override;
    // CO2 Duan and Sun (2003) 273-533 K, 2000 bar, 4.3 mol/kg; CH4 Duan et al. (1992)
    // 273.15-523.15 K, 1600 bar, 6 mol/kg, and Duan and Mao (2006) 273-523 K, 2000 bar,
    // 6 mol/kg; N2 Mao and Duan (2006) 273-400 K, 600 bar, 6 mol/kg.
    const PublishedRange* publishedRange() const override;

    void setParametersForCH4();
    void setParametersForCO2();
    void setParametersForN2();
    void purge();
    // True when the model has parameters for its system and version.
    bool hasParameters() const { return mu && lambda && zeta; }
    // CH4 versions other than 0 and 1, systems without a gas of the model, and a gas named
    // that is not the system's.
    std::string missingParameters() const override;
};

}  // namespace vornex

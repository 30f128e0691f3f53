// SpiveySolubility: CH4 in water and NaCl brine from the correlation of Spivey, McCain and
// North (2004): the CH4 molality at saturation as a direct function of T, P and the NaCl
// molality, with its own partial molar volume of dissolved CH4. The bubble pressure solves
// the correlation for the pressure at which a given CH4 molality saturates the brine.
#pragma once

#include "solubility/SolubilityModel.h"

namespace vornex {

class SpiveySolubility : public SolubilityModel {
   public:
    SpiveySolubility();

    // Outside the correlation's range (publishedRange) the error flag is raised with the
    // result: below 0 degC it dissolved 8.9e9 mol/kg at 200 K and 100 bar.
    void calculate_gas_solubility0() override;
    // 0 to 275 degC, up to 2000 bar and 5.7 mol/kg NaCl, the states the correlation was fitted
    // to (Spivey, McCain and North 2004).
    const PublishedRange* publishedRange() const override;
    // The correlation is methane's, in water or NaCl brine: any other system, or another gas
    // named, has none.
    std::string missingParameters() const override;
    // Residual m_g(P) - target, context pointing to the target molality.
    double equation_for_bubble_pressure(double Pbar, void* context);
    double residualSignBelowBubble() const override { return -1.0; }
    // Pressure guess Pbar (estimate_bubble_pressure when 0); NaCl molality ms.
    void calculate_bubble_pressure(double TK, double Pbar, double ms, double mgas) override;
    // Vg by partialVolume at the set T, P and NaCl molality; NaN for another system or gas.
    void calculate_gas_partial_volume_() override;
    // Bubble points from 273.15 to 573.15 K by 1 K (T, P in bar); a run of failed points
    // leaves one NaN pair between the good ones.
    void calculate_isopleth(double mgas, double ms, char mode, const char* suffix,
                            CurveArray* array);
    // The comparison table "res5.txt" against the Duan et al. (1992) model; false when the
    // file cannot be written.
    bool compare_with_Duan_model();

    // Partial molar volume of dissolved CH4 (m3/mol) at T (K), P (MPa), NaCl molality.
    static double partialVolume(double TK, double PMPa, double msalt);

   private:
    // The vapour beside a solved state (y_H2O, its volume, f_v; NaN where the vapour model
    // has no state), and no Henry constant (NaN).
    void vapourBeside();
};

}  // namespace vornex

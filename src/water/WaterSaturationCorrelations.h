// Start values of the saturation and spinodal searches of water: fits made on the reference
// equation of state that give a temperature and the liquid and vapour molar volumes from
// which the Newton searches of the fluid framework start. They are only good enough to
// start a search; the search runs on the object's own model. (The auxiliary equations of
// the saturation curve and the spinodal volumes are declared with WaterEOS.)
//
// Units: T in K, P in bar, molar volume in m3/mol unless said otherwise, molar entropy in
// J/(mol K).
#pragma once

namespace vornex::water {

// A start point for a saturation or spinodal search.
struct SearchStart {
    double T = 0.0;   // K
    double Vl = 0.0;  // liquid (or the only) molar volume, m3/mol
    double Vv = 0.0;  // vapour molar volume, m3/mol
};

// Saturation temperature estimate (K) at P (bar): a polynomial in ln P.
double saturationTemperatureFit(double Pbar);
// Saturated liquid molar volume estimate (m3/mol) at P (bar); pole at 221 bar.
double saturatedLiquidVolumeFitFromP(double Pbar);
// Saturated vapour molar volume estimate (cm3/mol) at P above 8 bar; pole at 221 bar, and
// negative where the fit fails (the callers replace it).
double saturatedVapourVolumeFitHighP(double Pbar);
// Saturated vapour molar volume estimate (cm3/mol) at P up to 8 bar.
double saturatedVapourVolumeFitLowP(double Pbar);
// Start values of the saturation search at P (bar) as the water models use them: the fits
// above, the ideal-gas volume at 280 K where the vapour fit turns negative, a fixed start
// between 0.02 and 0.024 bar (291 K), and critical-region volumes from 220.57 bar up.
SearchStart saturationStartFromP(double Pbar);
// Start volumes of the saturation search at T (K) below 647.096 K (T is copied); above
// 646.75 K those of the auxiliary saturated-density equations.
SearchStart saturationStartFromT(double T);
// Start of the saturated-liquid search of molar entropy S (the boiling point).
SearchStart boilingStartFromS(double S);
// Start of the saturated-vapour search of molar entropy S (the condensation point).
SearchStart condensationStartFromS(double S);
// Start temperature of the liquid-spinodal search at molar volume V (m3/mol).
double liquidSpinodalStartTemperature(double V);
// Start temperature and volume (Vl) of the liquid-spinodal search at P (bar); pole at 250 bar.
SearchStart liquidSpinodalStartFromP(double Pbar);
// Start temperature and volume (Vl) of the spinodal search of molar entropy S: the liquid
// side below the critical molar entropy Scrit, the vapour side from it up.
SearchStart spinodalStartFromS(double S, double Scrit);

}  // namespace vornex::water

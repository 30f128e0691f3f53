// Properties of water in aqueous NaCl solutions that need no equation of state: the
// Bradley-Pitzer dielectric constant, the Debye-Hueckel slope, the osmotic coefficient of
// three activity models and the activity of ice. The WaterEOS members feed them the water
// density of their own model.
//
// Units: T in K, P in bar unless a name says Pa, molality m in mol/kg water, water density in
// kg/m3. Water activity a_w = exp(-2 m M_w phi) with M_w = 0.018 kg/mol (1:1 salt).
#pragma once

#include <functional>

namespace vornex::water {

// Dielectric constant of water, Bradley and Pitzer, J. Phys. Chem. 83 (1979) 1599:
//   eps = eps1000 + C ln((B + P)/(B + 1000)),  eps1000 = 342.79 exp(-0.0050866 T + 9.469e-7 T^2),
//   C = -2.0525 + 3115.9/(T - 182.89),  B = -8032.5 + 4.2142e6/T + 2.1417 T.
// When dEdP is not null it receives d eps / dP (per bar).
double epsilonBradleyPitzer(double T, double Pbar, double* dEdP = nullptr);
// The states that equation was fitted to: liquid water (at or above its vapour pressure)
// from 0 to 350 degC up to 1 kbar. Beyond them it gives no number (B + P < 0 above 350 degC
// at low pressure) or a liquid's value for steam.
bool bradleyPitzerRange(double T, double Pbar);

// Debye-Hueckel slope of the osmotic coefficient (molality scale, (kg/mol)^0.5):
//   A_phi = (1/3) (2 pi N_A rho_w)^0.5 (e^2 / (4 pi eps0 eps k T))^1.5.
double debyeHuckelSlope(double T, double rhoW, double epsilon);

// Osmotic coefficient of NaCl(aq), Pitzer, Peiper and Busey, J. Phys. Chem. Ref. Data 13
// (1984) 1: phi = 1 - A_phi sqrt(m)/(1 + 1.2 sqrt(m)) + m (beta0 + beta1 exp(-2 sqrt(m)))
// + m^2 C_phi, with beta0, beta1, C_phi functions of T (K) and P (bar).
double pitzer84OsmoticCoefficient(double T, double Pbar, double aPhi, double m);
// The states those equations were fitted to: 0 to 300 degC, to 1 kbar, to 6 mol/kg.
bool pitzer84Range(double T, double Pbar, double m);
// The same form with the temperature functions f(T) = a1 + a2/T + a3 T^2/6 + a4 T^3/12
// + a5 T^4/20 of the NaCl ice-liquidus fit; the third virial term enters as 2 C m^2.
double thurmondOsmoticCoefficient(double T, double aPhi, double m);
// Mean ionic activity coefficient of a 1:1 salt at molality m from its osmotic coefficient
// phi(m') at the same T and P, by the Gibbs-Duhem integral; 1 at m = 0, NaN for a negative
// or undefined m.
double meanActivityFromOsmotic(double m, const std::function<double(double)>& phi);
// Debye-Hueckel limiting law: phi = 1 - A_phi sqrt(m); ln gamma = -3 A_phi sqrt(m).
double debyeHuckelOsmoticCoefficient(double aPhi, double m);
double debyeHuckelActivityCoefficient(double aPhi, double m);
// Water activity from the osmotic coefficient of a 1:1 salt: exp(-0.036 m phi).
double waterActivityFromOsmotic(double m, double phi);
// The same with the molar mass of water of the limiting law: exp(-2 m phi / 55.50844).
double waterActivityDebyeHuckel(double m, double phi);

// Activity of ice Ih relative to liquid water at T (K) and P (Pa):
//   a = exp(g / (-R T)),  g = 4.1855 (-3497.82 + 168.746 T - 30.256 T ln T + 0.05637 T^2
//                                     - 0.00012876 T^3/6) - 1.5123e-6 P  (J/mol).
double iceActivity(double T, double PPa);
// The temperature (K) at which that activity is 1: pure ice melts there at P (Pa); 273.1444 K
// at 1 bar.
double iceMeltingTemperature(double PPa);

// Mass percentage of NaCl, with M = 58.5 g/mol, in a solution of molality m (mol/kg).
double weightPercentFromMolality(double m);
// Mole fraction of NaCl in the solution of molality m: m / (m + 1/M_w).
double saltMoleFraction(double m);

}  // namespace vornex::water

// Henry constants of light gases in water (Pa, mole-fraction scale) and their salting-out
// factors in NaCl brines (m the NaCl molality), T in K.
#pragma once

#include <string>

namespace vornex::henry {

// CO2: 101325 exp(160.27 - 8764.5/T - 21.726 ln T + 0.0011055 T), the 1-atm solubility of
// CO2 written as ln(H/atm) in the form of Wilhelm, Battino and Wilcock (1977), whose CO2 row
// rewritten so reads 159.85 - 8741.5/T - 21.669 ln T + 0.0011026 T. Within 2 % of the IAPWS
// guideline (Fernandez-Prini, Alvarez and Harvey 2003) at 25 degC (168.7 against 165.6 MPa),
// within 4 % from 0 to 125 degC; 6 % low at 150 degC, 17 % low at 200 degC. It is not Carroll,
// Slupsky and Mather (1991): that fit is Dubessy's second option.
double co2(double TK);
// H2S: 1e5 exp(151.52 - 8335.5/T - 20.499 ln T - 0.001311 T).
double h2s(double TK);
// Salting-out of CO2: exp(0.27504 m/(1 + 0.018 m)).
double co2Salting(double m);
// Salting-out of H2S (also used for CO2 by the Wilhelm sets), the factor on H:
// exp(-(0.294 m - 0.000195 m T - 46.81 m/T - (0.578 + 0.0018 T) m/(m + 1))), 1.61 at
// 1 mol/kg and 298.15 K.
double h2sSalting(double m, double TK);
// Wilhelm, Battino and Wilcock, Chem. Rev. 77 (1977) 219:
// H = 101325 exp(-(A + B/T + C ln T + D T)/R), R = 1.9872 cal/(mol K); for "CH4"/"C1",
// "C2H6"/"C2", "C3H8"/"C3", "iC4"/"iC4H10", "nC4"/"nC4H10", "H2S", "N2", "CO2". Returns
// false for other names.
bool wilhelm(const char* name, double TK, double& H);
// CH4 over the vapour pressure of water (Pa, from the reference auxiliary equation), with
// Tr = T/647.03: Psat exp(-11.063/Tr + 5.809 (1 - Tr)^0.355/Tr + 12.195 exp(1 - Tr)/Tr^0.41).
// Known error: the source of these coefficients is not recorded and they do not reproduce
// the IAPWS guideline (same form, A -10.44708, B 4.66491, C 12.12986): H is 2.25 times the
// guideline's 3948 MPa at 25 degC, 1.68 times at 100 degC, 1.26 times at 200 degC, and
// crosses it near 290 degC; no single misprinted coefficient explains the difference.
double ch4OverPsat(double TK);
// Its salting-out: exp(15.6 m/(m + 55.5556)), 1.32 at 1 mol/kg: within 2 % at 1 mol/kg and
// 5 % at 2 mol/kg of the methane the Duan and Mao (2006) model loses to the salt at 25 degC.
double ch4Salting(double m);
// True for "CH4" and "C1".
bool isMethane(const char* name);
// Whether the set (Henry's model version, the Henry-Pitzer set) has a Henry-constant
// correlation for the gas: 0 CO2 and H2S, 1 the Wilhelm gases, 2 methane, no other set.
bool hasCorrelation(const char* name, int set);
// The sets with a correlation for the gas ("1 and 2"); empty for none.
std::string setsWithCorrelation(const char* name);
// Why the set cannot dissolve the gas, naming the sets that can; empty when it can.
// "what" names the set ("the Henry model version", "the Henry-constant set").
std::string missingCorrelation(const char* what, int set, const char* name);

}  // namespace vornex::henry

// Dielectric constant of water as a function of temperature and density, in the forms the
// WaterEOS members evaluate at their own state (density in g/cm3, T in K).
#pragma once

namespace vornex::water {

// The dielectric constant and its derivatives at constant density and temperature. For the
// two reduced forms the temperature variable is T* = T/298.15, for Helgeson-Kirkham it is T.
struct DielectricValue {
    double eps = 0.0;
    double dEdRho = 0.0;  // per g/cm3
    double dEdT = 0.0;    // per unit of the temperature variable
    double d2EdT2 = 0.0;
};

// eps = 1 + k1 rho/T* + (k2 + k3/T* + k4 T*) rho^2 + (k5/T* + k6 T* + k7 T*^2) rho^3
//       + (k8 + k9/T* + k10/T*^2) rho^4, with the coefficients of
// Johnson and Norton, Am. J. Sci. 291 (1991) 541, or
// Uematsu and Franck, J. Phys. Chem. Ref. Data 9 (1980) 1291.
DielectricValue epsilonJohnsonNorton(double T, double rho);
DielectricValue epsilonUematsuFranck(double T, double rho);
// Helgeson and Kirkham, Am. J. Sci. 274 (1974) 1089: a polynomial in T (K) and rho (g/cm3).
DielectricValue epsilonHelgesonKirkham(double T, double rho);
// Kirkwood form with a fitted correlation factor g (Pitzer, J. Phys. Chem. 87 (1983) 1120):
//   eps = (A + sqrt(A^2 + 8))/4,  A = 1 + (12 pi N_A alpha + 4 pi N_A g mu^2/(k T)) rho/M,
//   g = 1 + 2.68 rho + 6.69 rho^5 ((565/T)^0.3 - 1),
// alpha the polarisability and mu the dipole moment of the molecule, M the molar mass
// (kg/mol), rho in g/cm3; 12 pi N_A alpha = 32.783 cm3/mol.
double epsilonPitzer(double T, double rho, double molarMass);
// The Pitzer form holds from 573.15 K up, where its correlation factor was fitted; in the
// liquid below it is up to 13 % high (88.7 for 78.4 at 298.15 K and 1 bar).
constexpr double kPitzerDielectricLowestT = 573.15;
bool pitzerDielectricRange(double T);

}  // namespace vornex::water
